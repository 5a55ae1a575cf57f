#include "apply/plan_executor.h"

#include "apply/override_writer.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>

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

// Nothing to delete is no failure; a dangling link is still something.
bool delete_override(const QString &service)
{
    const QString path = overrides_dir().filePath(service);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    return remove_override(Service(service));
}

bool any_step(const PlanStep &)
{
    return true;
}

class Rollback
{
public:
    Rollback(const ApplyPlan &plan, const ProcessRunner &run, PlanOutcome &outcome)
        : plan(plan)
        , run(run)
        , outcome(outcome)
    {
    }

    void undo(int failed)
    {
        QStringList unfinished;
        for (int index = failed; index < plan.steps.size(); ++index) {
            const QString &service = plan.steps.at(index).service;
            if (step_before(service, failed, any_step) && !unfinished.contains(service))
                unfinished.append(service);
        }
        bool insserv_ran = false;
        for (int index = 0; index <= failed; ++index)
            insserv_ran |= plan.steps.at(index).kind == PlanStep::Run && !plan.steps.at(index).is_dry_run();
        for (const QString &service : unfinished)
            restore_override(service, failed);
        if (!insserv_ran)
            return;
        for (const QString &service : unfinished)
            register_again(service, failed);
    }

private:
    // Whether a step up to the failed one, included, is of that service and matches.
    bool step_before(const QString &service, int failed, bool (*matches)(const PlanStep &)) const
    {
        for (int index = 0; index <= failed; ++index) {
            if (plan.steps.at(index).service == service && matches(plan.steps.at(index)))
                return true;
        }
        return false;
    }

    // A failed override step left the file as it was: only the ones before it count.
    void restore_override(const QString &service, int failed)
    {
        if (!step_before(service, failed - 1, [](const PlanStep &step) { return step.kind != PlanStep::Run; }))
            return;
        const ServiceOrigin origin = plan.origins.value(service);
        const QString path = overrides_dir().filePath(service);
        try {
            const bool restored = origin.had_override ? write_override_content(service, origin.override_content)
                                                      : delete_override(service);
            if (!restored)
                throw InsservError(QCoreApplication::translate("ServiceTable", "the file cannot be restored"));
            outcome.restored.append((origin.had_override ? QCoreApplication::translate("ServiceTable", "Restored: %1")
                                                         : QCoreApplication::translate("ServiceTable", "Deleted: %1"))
                                        .arg(path));
        } catch (const InsservError &error) {
            outcome.not_restored.append(QStringLiteral("%1: %2").arg(path, error.message()));
        }
    }

    void register_again(const QString &service, int failed)
    {
        const ServiceOrigin origin = plan.origins.value(service);
        if (!origin.linked)
            return;
        QList<PlanStep> steps{insserv_step(service, QStringLiteral("S"), false, false)};
        if (step_before(service, failed, [](const PlanStep &step) { return step.kind == PlanStep::Run; }))
            steps += origin.disabling;
        for (const PlanStep &step : steps) {
            try {
                run_step(step, run);
                outcome.restored.append(step.command());
            } catch (const InsservError &error) {
                outcome.not_restored.append(QStringLiteral("%1: %2").arg(step.command(), error.message()));
                return;
            }
        }
    }

    const ApplyPlan &plan;
    const ProcessRunner &run;
    PlanOutcome &outcome;
};

} // namespace

void run_step(const PlanStep &step, const ProcessRunner &run)
{
    if (step.kind == PlanStep::WriteOverride && !write_override_content(step.service, step.content))
        throw InsservError(step.failure);
    if (step.kind == PlanStep::DeleteOverride && !delete_override(step.service))
        throw InsservError(step.failure);
    if (step.kind != PlanStep::Run)
        return;
    const ProcessResult result = run(step.program, step.arguments);
    if (!result.started || !result.finished)
        throw InsservError(QStringLiteral("%1 error").arg(QFileInfo(step.program).fileName()), Service(step.service));
    if (!result.succeeded())
        throw InsservError(readable(result.error_output), Service(step.service));
}

PlanOutcome execute_plan(const ApplyPlan &plan, const ProcessRunner &run, const ProgressReporter &progress)
{
    PlanOutcome outcome;
    for (int index = 0; index < plan.steps.size(); ++index) {
        const PlanStep &step = plan.steps.at(index);
        if (progress)
            progress(index + 1, plan.steps.size(), step);
        try {
            run_step(step, run);
        } catch (const InsservError &error) {
            outcome.error = error;
            Rollback(plan, run, outcome).undo(index);
            return outcome;
        }
        outcome.done.append(step);
    }
    return outcome;
}
