#pragma once

#include "apply/apply_plan.h"
#include "apply/insserv_error.h"
#include "apply/process_runner.h"

#include <functional>
#include <optional>

// Told before each step: its number (from 1), the number of steps, the step.
using ProgressReporter = std::function<void(int number, int steps, const PlanStep &step)>;

struct PlanOutcome
{
    std::optional<InsservError> error; // the failure that stopped the plan
    QList<PlanStep> done;              // the steps that ran to their end
    QStringList differences;           // touched services whose links ended otherwise than expected
    QStringList restored;              // services brought back exactly as they were
    QStringList not_restored;          // the others, with what still differs

    bool succeeded() const { return !error; }
};

// Runs the steps in order on the configuration under root (its overrides
// directory takes the writes) and stops at the first failure. Nothing is
// undone: a rehearsal's copy is thrown away, the machine is restored by
// execute_plan.
PlanOutcome run_steps(const ApplyPlan &plan, const ProcessRunner &run, const QString &root,
                      const ProgressReporter &progress = {});

// Runs the plan on the machine. before is the configuration read right before
// the first step; expected, the links every touched service must have
// afterwards. A failed step, or a touched service whose links end otherwise,
// brings every link and touched override back exactly as before holds them,
// and the outcome says what was restored and what could not be.
PlanOutcome execute_plan(const ApplyPlan &plan, const BootConfiguration &before,
                         const QMap<QString, LinkStates> &expected, const ProcessRunner &run,
                         const ProgressReporter &progress = {});

// One step on the machine; throws InsservError when it fails.
void run_step(const PlanStep &step, const ProcessRunner &run);

// Of the services in expected, those whose links in after differ from it, each
// with the runlevels that differ.
QStringList link_differences(const QMap<QString, LinkStates> &expected, const BootConfiguration &after);
