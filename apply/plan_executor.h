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
    QStringList restored;              // what was brought back after the failure
    QStringList not_restored;          // what could not be, with the reason

    bool succeeded() const { return !error; }
};

// Runs the steps in order and stops at the first failure. Every service the
// plan touched but did not finish then gets its previous override back and, if
// it was linked and insserv has run, is registered again: each service ends
// either fully applied or as it was.
PlanOutcome execute_plan(const ApplyPlan &plan, const ProcessRunner &run, const ProgressReporter &progress = {});

// One step; throws InsservError when it fails.
void run_step(const PlanStep &step, const ProcessRunner &run);
