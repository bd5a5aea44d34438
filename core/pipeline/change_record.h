#pragma once

#include "change_execution_result.h"

#include <QJsonObject>
#include <QList>
#include <QUuid>

#include <optional>

namespace tessik {

// How each change of one execution ended, kept under its snapshot's id, so that a look back can tell what each
// change was to become and whether it took; the snapshot alone knows only what was there before.
struct ChangeRecord
{
    enum class Outcome
    {
        succeeded,
        declined,
        failed
    };

    struct Entry
    {
        AssociationChange change;
        Outcome outcome = Outcome::failed;

        bool operator==(const Entry&) const = default;
    };

    // The id of the snapshot saved before the first write.
    QUuid id;
    QList<Entry> entries;

    bool operator==(const ChangeRecord&) const = default;

    // One entry per change of the plan, in its order; the id is read from the snapshot's file name.
    static ChangeRecord fromResult(const ChangeExecutionResult& result);

    QJsonObject toJson() const;
    // Throws JsonDecodingError, also for an outcome other than the three.
    static ChangeRecord fromJson(const QJsonObject& object);
};

QString rawValue(ChangeRecord::Outcome outcome);

} // namespace tessik
