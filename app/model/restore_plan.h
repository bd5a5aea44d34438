#pragma once

#include "core/pipeline/association_snapshot.h"
#include "core/pipeline/change_plan.h"
#include "core/pipeline/snapshot_restore.h"

namespace tessik {

// What putting a snapshot back will do, planned against the handlers now in effect, for a person to confirm.
struct RestorePlan
{
    AssociationSnapshot snapshot;
    SnapshotRestore restore;
    // The requests less those already in effect.
    ChangePlan plan;

    bool operator==(const RestorePlan&) const = default;
};

} // namespace tessik
