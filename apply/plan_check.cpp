#include "apply/plan_check.h"

#include "catalogue/system_paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

// A service another one needs loses its start in those runlevels: say which
// edit of the plan does that.
QString missing_because_of_plan(const InsservMessage &message, const ApplyPlan &plan)
{
    const auto intended = plan.intended.constFind(message.subject);
    if (message.kind != InsservMessage::Missing || intended == plan.intended.cend())
        return QString();
    const bool starts = std::any_of(intended->cbegin(), intended->cend(), [](QChar kind) { return kind == 'S'; });
    const QString edit = starts ? QCoreApplication::translate("ServiceTable", "stopping %1 in runlevels %2")
                                      .arg(message.subject, message.levels)
                                : QCoreApplication::translate("ServiceTable", "disabling %1").arg(message.subject);
    return QCoreApplication::translate("ServiceTable",
                                       "%1 requires %2 in runlevels %3; %4 would stop %1 from starting.")
        .arg(message.user, message.subject, message.levels, edit);
}

QStringList fatal_lines(const QString &text)
{
    QStringList lines;
    for (const InsservMessage &message : parse_insserv_messages(text, {})) {
        if (message.is_fatal())
            lines.append(message.line);
    }
    return lines;
}

QString not_executable_hint(const QString &service)
{
    const QFileInfo script(init_scripts_dir().filePath(service));
    if (!script.exists() || script.isExecutable())
        return QString();
    return QLatin1Char(' ')
        + QCoreApplication::translate(
              "ServiceTable",
              "The script %1 is not executable, so insserv leaves it out of the boot: make it executable.")
              .arg(service);
}

} // namespace

QStringList explained(const QString &text, const ApplyPlan &plan, const QHash<QString, QString> &names_to_scripts,
                      const DependencyGraph *graph, QStringList *services)
{
    QStringList sentences;
    for (const InsservMessage &message : parse_insserv_messages(text, names_to_scripts)) {
        if (message.kind == InsservMessage::Expected)
            continue;
        const QString because = missing_because_of_plan(message, plan);
        const Explanation explanation = explain(message, graph);
        const QString sentence = because.isEmpty() ? explanation.sentence : because;
        if (!sentences.contains(sentence))
            sentences.append(sentence);
        for (const QString &service : explanation.services) {
            if (services && !services->contains(service))
                services->append(service);
        }
    }
    return sentences;
}

QMap<QString, QByteArray> overrides_after(const ApplyPlan &plan, QMap<QString, QByteArray> overrides)
{
    for (const PlanStep &step : plan.steps) {
        if (step.kind == PlanStep::WriteOverride)
            overrides.insert(step.service, step.content);
        else if (step.kind == PlanStep::DeleteOverride)
            overrides.remove(step.service);
    }
    return overrides;
}

QStringList state_changes(const BootConfiguration &before, const BootConfiguration &after, const QStringList &touched)
{
    QSet<QString> services;
    for (const BootConfiguration *configuration : {&before, &after}) {
        for (auto links = configuration->links.cbegin(); links != configuration->links.cend(); ++links)
            services.insert(links.key());
    }
    QMap<QString, LinkStates> expected;
    for (const QString &service : services) {
        if (!touched.contains(service) && after.has_script(service)
            && before.states_of(service) != after.states_of(service))
            expected.insert(service, before.states_of(service));
    }
    return link_differences(expected, after);
}

QStringList rehearsal_problems(const ApplyPlan &plan, const Rehearsal &rehearsal,
                               const QHash<QString, QString> &names_to_scripts, const DependencyGraph *graph)
{
    if (rehearsal.outcome.error) {
        // insserv's own words stay in the details where they can be explained.
        const QString message = rehearsal.outcome.error->message();
        QStringList problems;
        for (const QString &sentence : explained(message, plan, names_to_scripts, graph)) {
            if (!message.contains(sentence))
                problems.append(sentence);
        }
        return problems.isEmpty() ? QStringList{message} : problems;
    }
    QStringList problems;
    if (rehearsal.setup_after.refused) {
        const QStringList old = fatal_lines(rehearsal.setup_before.messages);
        QStringList added;
        for (const QString &line : fatal_lines(rehearsal.setup_after.messages)) {
            if (!old.contains(line))
                added.append(line);
        }
        if (!rehearsal.setup_before.refused || !added.isEmpty()) {
            const QStringList sentences = explained(added.isEmpty() ? rehearsal.setup_after.messages : added.join('\n'),
                                                    plan, names_to_scripts, graph);
            problems += sentences.isEmpty() ? QStringList{rehearsal.setup_after.messages} : sentences;
        }
    }
    for (const QString &difference : link_differences(plan.intended, rehearsal.after)) {
        const QString service = difference.section(QLatin1Char(':'), 0, 0);
        problems.append(
            QCoreApplication::translate("ServiceTable", "The links of %1 would not be what the table shows: %2.")
                .arg(service, difference.section(QStringLiteral(": "), 1))
            + not_executable_hint(service));
    }
    for (const QString &change : state_changes(rehearsal.before, rehearsal.after, plan.intended.keys())) {
        problems.append(
            QCoreApplication::translate("ServiceTable", "%1 would change as well, which the table does not show: %2.")
                .arg(change.section(QLatin1Char(':'), 0, 0), change.section(QStringLiteral(": "), 1)));
    }
    return problems;
}
