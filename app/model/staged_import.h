#pragma once

#include "core/carry/carried_default.h"
#include "core/carry/defaults_import.h"

#include <QList>

namespace tessik {

class AppModel;

// An imported file of defaults as changes staged in the window's model, to be reviewed and applied like any other.
class StagedImport
{
public:
    struct Outcome
    {
        // Staged now, replacing what was staged for the same format.
        int staged = 0;
        // The machine already has them.
        int inEffect = 0;
        // What this machine cannot take.
        QList<DefaultsImport::Skipped> skipped;
        // Entries of roles other than the model's, which stages one role at a time.
        QList<CarriedDefault> otherRoles;
    };

    // When nothing is staged and every entry the machine can take is of one role, the model changes to that role
    // first. Entries whose handler is already the target are counted, not staged.
    static Outcome stage(AppModel& model, const QList<CarriedDefault>& defaults);
};

} // namespace tessik
