#pragma once

#include "app/model/change_history.h"

#include <QString>

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// How the history names its pieces, shared by its lists and the restore question, in the model's language.
class HistoryTexts
{
public:
    // The format's label, with the role unless it is every role; a link by its scheme's name.
    static QString subject(const AppModel& model, const QString& typeIdentifier, AssociationRole role);
    static QString when(const AppModel& model, const QDateTime& time);
    static QString outcome(const AppModel& model, const HistoryEntry::Change& change);
    // "3 changes: 2 took, 1 declined · 1 application gone".
    static QString summary(const AppModel& model, const HistoryEntry& entry);
    // Why a handler cannot be put back.
    static QString obstacle(const AppModel& model, const SnapshotRestore::Skipped& skipped);
};

} // namespace tessik::ui
