#pragma once

#include "app/model/restore_plan.h"

class QWidget;

namespace tessik {
class AppModel;
}

namespace tessik::ui {

// Asks before a snapshot is put back, naming each change it will make and each handler it cannot put back, and
// hands the plan to the model on yes. Planning reads the current handlers off the interface thread.
class RestoreQuestion
{
public:
    static void restore(AppModel& model, const AssociationSnapshot& snapshot, QWidget* parent);
    // The newest snapshot; the model says so when there is none.
    static void undoLast(AppModel& model, QWidget* parent);

private:
    static void ask(AppModel& model, const RestorePlan& plan, bool undo, QWidget* parent);
};

} // namespace tessik::ui
