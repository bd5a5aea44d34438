#pragma once

#include "association_snapshot.h"
#include "change_request.h"

#include <QList>

#include <functional>

namespace tessik {

// What putting a snapshot back asks of the pipeline: one request per recorded handler that can still be named,
// and the others with the reason they cannot.
struct SnapshotRestore
{
    enum class Obstacle
    {
        // The system can name a new handler but cannot remove one.
        noPreviousHandler,
        applicationGone
    };

    struct Skipped
    {
        SnapshotHandler handler;
        Obstacle obstacle = Obstacle::noPreviousHandler;

        bool operator==(const Skipped&) const = default;
    };

    QList<ChangeRequest> requests;
    QList<Skipped> skipped;

    bool operator==(const SnapshotRestore&) const = default;

    using InstalledCheck = std::function<bool(const QString& bundleIdentifier)>;
    static SnapshotRestore of(const AssociationSnapshot& snapshot, const InstalledCheck& isInstalled);
    // Asks the workspace whether it has a copy of the application.
    static bool isInstalled(const QString& bundleIdentifier);
};

} // namespace tessik
