#include "apply/apply_trace.h"

#include "apply/apply_history.h"
#include "apply/etckeeper.h"
#include "apply/plan_text.h"
#include "apply/system_log.h"
#include "catalogue/service_info.h"
#include "catalogue/system_paths.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

#include <pwd.h>
#include <syslog.h>
#include <unistd.h>

namespace {

// As LSB headers write them: "S 2 3 4 5", "0 1 6".
QString runlevels_of(const LinkStates &states, QChar kind)
{
    QStringList levels;
    for (auto level = states.cbegin(); level != states.cend(); ++level) {
        if (level.value() == kind)
            levels.append(level.key());
    }
    std::sort(levels.begin(), levels.end(), [](const QString &a, const QString &b) {
        return (a == QLatin1String("S")) != (b == QLatin1String("S")) ? a == QLatin1String("S") : a < b;
    });
    return levels.join(QLatin1Char(' '));
}

QString levels_text(const LinkStates &states)
{
    const QString start = runlevels_of(states, QLatin1Char('S')), stop = runlevels_of(states, QLatin1Char('K'));
    if (start.isEmpty() && stop.isEmpty())
        return QStringLiteral("no links");
    QStringList parts;
    if (!start.isEmpty())
        parts.append(QStringLiteral("start ") + start);
    if (!stop.isEmpty())
        parts.append(QStringLiteral("stop ") + stop);
    return parts.join(QStringLiteral(", "));
}

QMap<QString, QString> header_fields(const QString &service, const QByteArray &content)
{
    QMap<QString, QString> fields;
    for (const auto &field : ServiceInfo::from_content(service, content).lines) {
        if (!fields.contains(field.first))
            fields.insert(field.first, field.second.simplified());
    }
    return fields;
}

QByteArray script_content(const QString &service)
{
    QFile script(init_scripts_dir().filePath(service));
    return script.open(QIODevice::ReadOnly) ? script.readAll() : QByteArray();
}

// The header fields that the service's last override step changes, old and new.
QStringList field_changes(const ApplyPlan &plan, const QString &service)
{
    const PlanStep *last = nullptr;
    for (const PlanStep &step : plan.steps) {
        if (step.changes_override() && step.service == service)
            last = &step;
    }
    if (!last)
        return {};
    const ServiceOrigin origin = plan.origins.value(service);
    const QMap<QString, QString> old_fields
        = header_fields(service, origin.header_lines.join(QLatin1Char('\n')).toUtf8());
    const QMap<QString, QString> new_fields =
        header_fields(service, last->kind == PlanStep::WriteOverride ? last->content : script_content(service));
    QStringList names = old_fields.keys() + new_fields.keys();
    names.removeDuplicates();
    QStringList changes;
    if (last->kind == PlanStep::DeleteOverride)
        changes.append(QStringLiteral("override deleted"));
    const auto shown = [](const QString &value) { return value.isEmpty() ? QStringLiteral("(none)") : value; };
    for (const QString &name : names) {
        const QString old_value = shown(old_fields.value(name)), new_value = shown(new_fields.value(name));
        if (old_value != new_value)
            changes.append(QStringLiteral("%1: %2 -> %3").arg(name, old_value, new_value));
    }
    return changes;
}

QString result_text(const PlanOutcome &outcome)
{
    if (outcome.succeeded())
        return QStringLiteral("done");
    QString text = QStringLiteral("failed: ") + outcome.error->message().simplified();
    if (!outcome.restored.isEmpty())
        text += QStringLiteral("; restored exactly: ") + outcome.restored.join(QStringLiteral(", "));
    if (!outcome.not_restored.isEmpty())
        text += QStringLiteral("; not restored: ") + outcome.not_restored.join(QStringLiteral(", "));
    return text;
}

} // namespace

QString acting_user()
{
    bool known = false;
    uid_t uid = 0;
    for (const char *variable : {"PKEXEC_UID", "SUDO_UID"}) {
        uid = qEnvironmentVariable(variable).toUInt(&known);
        if (known)
            break;
    }
    if (!known)
        uid = ::getuid();
    const passwd *entry = ::getpwuid(uid);
    return entry ? QStringLiteral("%1 (uid %2)").arg(QString::fromLocal8Bit(entry->pw_name)).arg(uid)
                 : QStringLiteral("uid %1").arg(uid);
}

QStringList plan_summary(const ApplyPlan &plan, const BootConfiguration &before)
{
    QStringList lines;
    for (const QString &service : plan.touched_services()) {
        QStringList parts;
        if (plan.intended.contains(service)) {
            const LinkStates old_states = before.states_of(service), new_states = plan.intended.value(service);
            parts.append(old_states == new_states
                             ? levels_text(old_states) + QStringLiteral(" as before")
                             : levels_text(old_states) + QStringLiteral(" -> ") + levels_text(new_states));
        }
        parts += field_changes(plan, service);
        QStringList runs;
        for (const PlanStep &step : plan.steps) {
            if (step.service == service && step.kind == PlanStep::Run)
                runs.append(step.command());
            if (step.service == service && step.kind == PlanStep::RestoreLinks)
                parts.append(QStringLiteral("links put back exactly"));
        }
        if (!runs.isEmpty())
            parts.append(QStringLiteral("runs ") + runs.join(QStringLiteral(", ")));
        lines.append(QStringLiteral("%1: %2").arg(service, parts.join(QStringLiteral("; "))));
    }
    for (const PlanStep &step : plan.steps) {
        if (step.kind == PlanStep::RestoreFiles)
            lines.append(QStringLiteral("insserv's dependency files put back exactly"));
    }
    return lines;
}

QString commit_message(const ApplyPlan &plan, const QString &user, const QStringList &summary, const QString &result)
{
    QString message = QStringLiteral("vorn-admin-runlevel: %1 by %2").arg(plan.operation, user);
    if (!plan.undoes.isEmpty())
        message += QStringLiteral(" of ") + plan.undoes;
    if (result != QLatin1String("done"))
        message += QStringLiteral(", ") + result;
    return message + QStringLiteral("\n\n") + summary.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

ApplyTrace::ApplyTrace()
    : user(acting_user())
    , etckeeper_keeps_etc(etckeeper::keeps_etc())
{
}

QString ApplyTrace::heading(const ApplyPlan &plan) const
{
    QString text = QStringLiteral("%1 by %2").arg(plan.operation, user);
    if (!plan.undoes.isEmpty())
        text += QStringLiteral(" of ") + plan.undoes;
    return text;
}

void ApplyTrace::log_plan(const ApplyPlan &plan, const QStringList &summary) const
{
    log_line(LOG_NOTICE,
             QStringLiteral("%1: %2").arg(heading(plan), plan.touched_services().join(QStringLiteral(", "))));
    for (const QString &line : summary)
        log_line(LOG_NOTICE, QStringLiteral("%1: %2").arg(plan.operation, line));
}

void ApplyTrace::refused(const ApplyPlan &plan, const BootConfiguration &before, const QStringList &reasons) const
{
    log_plan(plan, plan_summary(plan, before));
    log_line(LOG_WARNING,
             QStringLiteral("%1: refused: %2").arg(heading(plan), reasons.join(QLatin1Char(' ')).simplified()));
}

QString ApplyTrace::etckeeper_notice() const
{
    if (!etckeeper_keeps_etc)
        return QString();
    return QCoreApplication::translate(
        "ServiceTable",
        "etckeeper keeps /etc: whatever is uncommitted there is committed first (\"saving "
        "uncommitted changes in /etc prior to vorn-admin-runlevel run\"), and these "
        "changes are committed afterwards with a message that lists them.");
}

QStringList ApplyTrace::before_run(const ApplyPlan &plan, const BootConfiguration &before) const
{
    log_plan(plan, plan_summary(plan, before));
    QStringList warnings;
    const QString failure = etckeeper_keeps_etc ? etckeeper::commit_uncommitted() : QString();
    if (!failure.isEmpty())
        warnings.append(QCoreApplication::translate("ServiceTable",
                                                    "etckeeper could not commit what was uncommitted in "
                                                    "/etc before the change: %1")
                            .arg(failure));
    return warnings;
}

QStringList ApplyTrace::after_run(const ApplyPlan &plan, const BootConfiguration &before,
                                  const PlanOutcome &outcome) const
{
    const QString result = result_text(outcome);
    log_line(outcome.succeeded() ? LOG_NOTICE : outcome.not_restored.isEmpty() ? LOG_WARNING : LOG_ERR,
             QStringLiteral("%1: %2").arg(heading(plan), result));
    const QStringList summary = plan_summary(plan, before);
    QStringList warnings;
    if (outcome.succeeded()) {
        const HistoryEntry entry = history_entry(plan, before, read_boot_configuration(system_root()), user, summary,
                                                 QDateTime::currentDateTimeUtc());
        if (!entry.services.isEmpty())
            warnings.append(keep_in_history(entry));
    }
    const QString failure
        = etckeeper_keeps_etc ? etckeeper::commit(commit_message(plan, user, summary, result)) : QString();
    if (!failure.isEmpty())
        warnings.append(QCoreApplication::translate("ServiceTable", "etckeeper could not commit the change in /etc: %1")
                            .arg(failure));
    warnings.removeAll(QString());
    return warnings;
}
