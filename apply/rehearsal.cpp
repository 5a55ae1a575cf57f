#include "apply/rehearsal.h"

#include "apply/scratch_namespace.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <algorithm>

namespace {

SetupCheck check_setup(const ScratchNamespace &copy)
{
    const ProcessResult listing = copy.run(insserv_program(), {QStringLiteral("-s")});
    return SetupCheck{!listing.succeeded(), utf8_up_to_nul(listing.error_output).trimmed()};
}

} // namespace

ApplyPlan without_dry_runs(ApplyPlan plan)
{
    plan.steps.erase(std::remove_if(plan.steps.begin(), plan.steps.end(),
                                    [](const PlanStep &step) { return step.is_dry_run(); }),
                     plan.steps.end());
    return plan;
}

Rehearsal rehearse(const ApplyPlan &plan, const SetupCheck &setup_before, const ProgressReporter &progress)
{
    Rehearsal rehearsal;
    rehearsal.plan = plan;
    const ScratchNamespace copy(system_root());
    rehearsal.unavailable = copy.problem();
    rehearsal.available = rehearsal.unavailable.isEmpty();
    if (!rehearsal.available)
        return rehearsal;
    rehearsal.plan = without_dry_runs(plan);
    rehearsal.before = read_boot_configuration(copy.copy_root());
    rehearsal.setup_before = setup_before;
    const ProcessRunner inside = [&copy](const QString &program, const QStringList &arguments) {
        return copy.run(program, arguments);
    };
    rehearsal.outcome = run_steps(rehearsal.plan, inside, copy.copy_root(), progress);
    rehearsal.setup_after = check_setup(copy);
    rehearsal.after = read_boot_configuration(copy.copy_root());
    return rehearsal;
}
