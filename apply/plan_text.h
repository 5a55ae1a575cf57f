#pragma once

#include "apply/plan_executor.h"

// What a plan will do, for the confirmation: a unified diff for every override
// it writes ("override deleted" for one it deletes), then every command line
// exactly as it will run.
QString plan_preview(const ApplyPlan &plan);

// One step as the user reads it: the command line, or the override written or deleted.
QString step_text(const PlanStep &step);

// What a plan did, for the details of its result or error box.
QString outcome_details(const PlanOutcome &outcome);

QString unified_diff(const QString &old_path, const QStringList &old_lines, const QString &new_path,
                     const QStringList &new_lines);
