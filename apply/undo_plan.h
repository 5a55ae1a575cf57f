#pragma once

#include "apply/apply_history.h"
#include "apply/apply_plan.h"

// Undoing an apply is a plan like any other: rehearsed, confirmed, run,
// verified and restored on failure by the same path.
struct UndoPlan
{
    ApplyPlan plan;
    // The services of the entry that changed since it was applied (another
    // program, a hand, a later apply): undoing it would undo that too.
    QStringList changed_since;
};

// The plan that puts every link and override the entry changed back exactly
// as it was before, now being the configuration as read; and insserv's
// dependency files, where nothing changed them since. With services changed
// since, no plan.
UndoPlan plan_undo(const HistoryEntry &entry, const BootConfiguration &now);
