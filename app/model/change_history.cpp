#include "change_history.h"

#include "core/pipeline/change_record_store.h"
#include "core/pipeline/snapshot_store.h"
#include "core/support/newest_first.h"

#include <QHash>

#include <algorithm>

namespace tessik {

int HistoryEntry::count(ChangeRecord::Outcome outcome) const
{
    return int(std::count_if(changes.cbegin(), changes.cend(),
                             [outcome](const Change& change) { return change.outcome == outcome; }));
}

int HistoryEntry::goneCount() const
{
    return int(std::count_if(changes.cbegin(), changes.cend(), [](const Change& change) { return change.fromGone; }));
}

ChangeHistory ChangeHistory::load(const SnapshotRestore::InstalledCheck& isInstalled)
{
    ChangeHistory history;
    const auto snapshots = newestFirst(SnapshotStore());
    history.unreadable = int(snapshots.unreadable.size());
    const ChangeRecordStore records;
    // Many runs name the same few applications.
    QHash<QString, bool> installed;
    const auto gone = [&](const QString& bundleIdentifier) {
        auto found = installed.find(bundleIdentifier);
        if (found == installed.end())
            found = installed.insert(bundleIdentifier, isInstalled(bundleIdentifier));
        return !*found;
    };
    for (const AssociationSnapshot& snapshot : snapshots.records) {
        HistoryEntry entry{snapshot, {}, false};
        std::optional<ChangeRecord> record;
        if (records.contains(snapshot.id)) {
            try {
                record = records.load(snapshot.id);
            } catch (const std::exception&) {
                ++history.unreadable;
            }
        }
        entry.recorded = record.has_value();
        for (const SnapshotHandler& handler : snapshot.handlers) {
            HistoryEntry::Change change{handler.typeIdentifier, handler.role, handler.bundleIdentifier, {}, {}, false};
            if (record) {
                const auto same = std::find_if(record->entries.cbegin(), record->entries.cend(), [&](const auto& e) {
                    return e.change.typeIdentifier == handler.typeIdentifier && e.change.role == handler.role;
                });
                if (same != record->entries.cend()) {
                    change.to = same->change.targetBundleIdentifier;
                    change.outcome = same->outcome;
                }
            }
            change.fromGone = handler.bundleIdentifier && gone(*handler.bundleIdentifier);
            entry.changes.append(change);
        }
        history.entries.append(entry);
    }
    return history;
}

} // namespace tessik
