#include "apply/rehearsal.h"

#include "apply/scratch_namespace.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

namespace {

SetupCheck check_setup(const ScratchNamespace &copy)
{
    const ProcessResult listing = copy.run(insserv_program(), {QStringLiteral("-s")});
    return SetupCheck{!listing.succeeded(), utf8_up_to_nul(listing.error_output).trimmed()};
}

} // namespace

Rehearsal rehearse(const ApplyPlan &plan, const ProgressReporter &progress)
{
    Rehearsal rehearsal;
    const ScratchNamespace copy(system_root());
    rehearsal.unavailable = copy.problem();
    rehearsal.available = rehearsal.unavailable.isEmpty();
    if (!rehearsal.available)
        return rehearsal;
    rehearsal.before = read_boot_configuration(copy.copy_root());
    rehearsal.setup_before = check_setup(copy);
    const ProcessRunner inside = [&copy](const QString &program, const QStringList &arguments) {
        return copy.run(program, arguments);
    };
    rehearsal.outcome = run_steps(plan, inside, copy.copy_root(), progress);
    rehearsal.setup_after = check_setup(copy);
    rehearsal.after = read_boot_configuration(copy.copy_root());
    return rehearsal;
}
