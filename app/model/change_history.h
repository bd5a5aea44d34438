#pragma once

#include "core/pipeline/association_snapshot.h"
#include "core/pipeline/change_record.h"
#include "core/pipeline/snapshot_restore.h"

#include <QList>

#include <optional>

namespace tessik {

// One past run of changes as a look back shows it: when, which formats, from which application to which, and
// whether each took.
struct HistoryEntry
{
    struct Change
    {
        QString typeIdentifier;
        AssociationRole role = AssociationRole::all;
        std::optional<QString> from;
        // Both absent when the run's outcome was not recorded.
        std::optional<QString> to;
        std::optional<ChangeRecord::Outcome> outcome;
        // `from` names an application that is no longer on this computer, so it cannot be put back.
        bool fromGone = false;

        bool operator==(const Change&) const = default;
    };

    AssociationSnapshot snapshot;
    QList<Change> changes;
    bool recorded = false;

    bool operator==(const HistoryEntry&) const = default;

    int count(ChangeRecord::Outcome outcome) const;
    int goneCount() const;
};

// Every saved snapshot with the record of how its run ended, newest first. Blocking: it reads a file or two per
// run, so it runs off the interface thread.
struct ChangeHistory
{
    QList<HistoryEntry> entries;
    // Files that could not be read and are left out.
    int unreadable = 0;

    bool operator==(const ChangeHistory&) const = default;

    static ChangeHistory load(const SnapshotRestore::InstalledCheck& isInstalled = SnapshotRestore::isInstalled);
};

} // namespace tessik
