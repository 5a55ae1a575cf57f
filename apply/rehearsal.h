#pragma once

#include "apply/plan_executor.h"
#include "catalogue/boot_configuration.h"

// How insserv takes a whole setup: "insserv -s" fails where it refuses one.
struct SetupCheck
{
    bool refused = false;
    QString messages; // its error output, warnings included
};

// A plan run on a scratch copy of the machine's boot configuration with the
// real insserv and update-rc.d, before anything touches the machine.
struct Rehearsal
{
    bool available = false;
    QString unavailable;      // why no copy could be rehearsed on
    // The plan to run on the machine: once rehearsed, without its dry runs,
    // which the rehearsal has made redundant; else the plan as given.
    ApplyPlan plan;
    BootConfiguration before; // the copy as made: the machine at that moment
    BootConfiguration after;  // the copy once the plan has run
    PlanOutcome outcome;      // the steps as they ran on the copy
    SetupCheck setup_before, setup_after;
};

// setup_before: how insserv takes the machine's setup now, as the load found it.
Rehearsal rehearse(const ApplyPlan &plan, const SetupCheck &setup_before, const ProgressReporter &progress = {});

ApplyPlan without_dry_runs(ApplyPlan plan);
