#pragma once

#include "association_snapshot.h"
#include "core/support/record_folder.h"

#include <QUrl>

namespace tessik {

// The folder of saved snapshots, "Tessik/Snapshots" in Application Support by default.
class SnapshotStore
{
public:
    explicit SnapshotStore(QUrl directory = defaultDirectory());

    // Computes the location; creates nothing.
    static QUrl defaultDirectory();
    const QUrl& directory() const { return m_folder.directory(); }

    // The handlers the plan replaces, in its order. Reads nothing.
    AssociationSnapshot makeSnapshot(const ChangePlan& plan) const;
    // Writes atomically and returns the file's location. Throws NSError.
    QUrl save(const AssociationSnapshot& snapshot) const;
    // Throws NSError or JsonDecodingError.
    AssociationSnapshot load(const QUuid& id) const;
    // The identifiers of the saved snapshots, in no particular order.
    QList<QUuid> ids() const { return m_folder.ids(); }

private:
    RecordFolder m_folder;
};

} // namespace tessik
