#include "snapshot_restore.h"

#include "platform/workspace.h"

namespace tessik {

SnapshotRestore SnapshotRestore::of(const AssociationSnapshot& snapshot, const InstalledCheck& isInstalled)
{
    SnapshotRestore restore;
    for (const SnapshotHandler& handler : snapshot.handlers) {
        if (!handler.bundleIdentifier)
            restore.skipped.append({handler, Obstacle::noPreviousHandler});
        else if (!isInstalled(*handler.bundleIdentifier))
            restore.skipped.append({handler, Obstacle::applicationGone});
        else
            restore.requests.append({handler.typeIdentifier, handler.role, *handler.bundleIdentifier});
    }
    return restore;
}

bool SnapshotRestore::isInstalled(const QString& bundleIdentifier)
{
    return platform::Workspace::urlForApplicationWithBundleIdentifier(bundleIdentifier).has_value();
}

} // namespace tessik
