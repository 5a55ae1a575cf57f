#pragma once

#include "apply/plan_executor.h"
#include "apply/rehearsal.h"

// What a plan will do, for the confirmation: a summary line, then service by
// service in the order their steps run, what the rehearsal did to its links,
// a unified diff of its override ("override deleted" for one it deletes) and
// its command lines exactly as they will run; last, the other services whose
// links only change their numbers, and links to nothing that go.
QString plan_preview(const ApplyPlan &plan, const Rehearsal &rehearsal = Rehearsal());

// One step as the user reads it: the command line, or the override written or deleted.
QString step_text(const PlanStep &step);

// What a plan did, for the details of its result or error box.
QString outcome_details(const PlanOutcome &outcome);

// How the links of one service differ between two readings, a line a runlevel:
// "runlevel 3: S05cron becomes K01cron".
QStringList link_changes(const BootConfiguration &before, const BootConfiguration &after, const QString &service);

QString unified_diff(const QString &old_path, const QStringList &old_lines, const QString &new_path,
                     const QStringList &new_lines);
