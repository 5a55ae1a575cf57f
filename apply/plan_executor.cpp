#include "apply/plan_executor.h"

#include "apply/configuration_restore.h"
#include "apply/override_writer.h"
#include "apply/plan_check.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// A program may print megabytes; a message box shows the beginning.
const int shown_error_length = 4000;

QString readable(const QByteArray &output)
{
    QString text = utf8_up_to_nul(output);
    if (text.size() <= shown_error_length)
        return text;
    text.truncate(shown_error_length);
    return text + QStringLiteral("\n…");
}

QString state_text(QChar kind)
{
    return kind.isNull() ? QStringLiteral("-") : QString(kind);
}

QDir existing_overrides(const QString &root)
{
    const QDir directory(root + QStringLiteral("/etc/insserv/overrides"));
    if (!directory.exists())
        throw InsservError(QObject::tr("Overrides directory \"%1\" does not exist.").arg(overrides_path()));
    return directory;
}

void run_step_in(const PlanStep &step, const ProcessRunner &run, const QString &root)
{
    if (step.kind == PlanStep::WriteOverride
        && !write_override_content(existing_overrides(root), step.service, step.content))
        throw InsservError(step.failure);
    if (step.kind == PlanStep::DeleteOverride && !delete_override_file(existing_overrides(root), step.service))
        throw InsservError(step.failure);
    if (step.kind == PlanStep::RestoreLinks && !restore_service_links(root, step.service, step.links))
        throw InsservError(
            QCoreApplication::translate("ServiceTable", "The links of %1 could not be put back.").arg(step.service));
    if (step.kind == PlanStep::RestoreFiles && !restore_dependency_files(root, step.files))
        throw InsservError(
            QCoreApplication::translate("ServiceTable", "insserv's dependency files could not be put back."));
    if (step.kind != PlanStep::Run)
        return;
    const ProcessResult result = run(step.program, step.arguments);
    if (!result.started || !result.finished)
        throw InsservError(QStringLiteral("%1 error").arg(QFileInfo(step.program).fileName()), Service(step.service));
    if (!result.succeeded())
        throw InsservError(readable(result.error_output), Service(step.service));
}

QStringList override_services(const ApplyPlan &plan)
{
    QStringList services;
    for (const PlanStep &step : plan.steps) {
        if (step.changes_override() && !services.contains(step.service))
            services.append(step.service);
    }
    return services;
}

} // namespace

void run_step(const PlanStep &step, const ProcessRunner &run)
{
    run_step_in(step, run, system_root());
}

PlanOutcome run_steps(const ApplyPlan &plan, const ProcessRunner &run, const QString &root,
                      const ProgressReporter &progress)
{
    PlanOutcome outcome;
    try {
        for (int index = 0; index < plan.steps.size(); ++index) {
            const PlanStep &step = plan.steps.at(index);
            if (progress)
                progress(index + 1, plan.steps.size(), step);
            run_step_in(step, run, root);
            outcome.done.append(step);
        }
    } catch (const InsservError &error) {
        outcome.error = error;
    }
    return outcome;
}

PlanOutcome execute_plan(const ApplyPlan &plan, const BootConfiguration &before,
                         const QMap<QString, LinkStates> &expected, const ProcessRunner &run,
                         const ProgressReporter &progress)
{
    PlanOutcome outcome = run_steps(plan, run, system_root(), progress);
    if (outcome.succeeded()) {
        const BootConfiguration after = read_boot_configuration(system_root());
        outcome.differences = link_differences(expected, after) + state_changes(before, after, expected.keys());
        if (outcome.differences.isEmpty())
            return outcome;
        outcome.error = InsservError(QCoreApplication::translate(
            "ServiceTable",
            "The links insserv made are not the ones the table shows; everything was restored as it was."));
    }
    const RestoreReport report = restore_configuration(before, system_root(), override_services(plan));
    outcome.restored = report.restored;
    outcome.not_restored = report.not_restored;
    return outcome;
}

QStringList link_differences(const QMap<QString, LinkStates> &expected, const BootConfiguration &after)
{
    QStringList differences;
    for (auto service = expected.cbegin(); service != expected.cend(); ++service) {
        const LinkStates found = after.states_of(service.key());
        if (found == service.value())
            continue;
        QStringList levels;
        for (const QString &runlevel : all_runlevels()) {
            const QChar wanted = service.value().value(runlevel), got = found.value(runlevel);
            if (wanted != got)
                levels.append(QCoreApplication::translate("ServiceTable", "runlevel %1: %2 instead of %3")
                                  .arg(runlevel, state_text(got), state_text(wanted)));
        }
        differences.append(QStringLiteral("%1: %2").arg(service.key(), levels.join(QStringLiteral(", "))));
    }
    return differences;
}
