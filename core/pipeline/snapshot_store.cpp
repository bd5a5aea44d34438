#include "snapshot_store.h"

using namespace Qt::StringLiterals;

namespace tessik {

SnapshotStore::SnapshotStore(QUrl directory) : m_folder(std::move(directory)) {}

QUrl SnapshotStore::defaultDirectory()
{
    return RecordFolder::dataFolder(u"Snapshots"_s);
}

AssociationSnapshot SnapshotStore::makeSnapshot(const ChangePlan& plan) const
{
    AssociationSnapshot snapshot;
    for (const AssociationChange& change : plan.changes)
        snapshot.handlers.append({change.typeIdentifier, change.role, change.previousBundleIdentifier});
    return snapshot;
}

QUrl SnapshotStore::save(const AssociationSnapshot& snapshot) const
{
    return m_folder.save(snapshot.id, snapshot.toJson());
}

AssociationSnapshot SnapshotStore::load(const QUuid& id) const
{
    return AssociationSnapshot::fromJson(m_folder.load(id));
}

} // namespace tessik
