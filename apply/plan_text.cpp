#include "apply/plan_text.h"

#include "apply/override_writer.h"
#include "catalogue/system_paths.h"

#include <QCoreApplication>
#include <QSet>
#include <QVector>

QString step_text(const PlanStep &step)
{
    const QString path = overrides_dir().filePath(step.service);
    if (step.kind == PlanStep::WriteOverride)
        return QCoreApplication::translate("ServiceTable", "Written: %1").arg(path);
    if (step.kind == PlanStep::DeleteOverride)
        return QCoreApplication::translate("ServiceTable", "Deleted: %1").arg(path);
    if (step.kind == PlanStep::RestoreLinks) {
        QStringList links;
        for (const RunlevelLink &link : step.links)
            links.append(link.text());
        return links.isEmpty()
            ? QCoreApplication::translate("ServiceTable", "Links put back: none")
            : QCoreApplication::translate("ServiceTable", "Links put back: %1").arg(links.join(QStringLiteral(", ")));
    }
    if (step.kind == PlanStep::RestoreFiles)
        return QCoreApplication::translate("ServiceTable", "insserv's dependency files put back: %1")
            .arg(QStringList(step.files.keys()).join(QStringLiteral(", ")));
    return step.command();
}

namespace {

// The last override step of a service: several writes build on each other,
// and the last holds the whole change.
const PlanStep *last_override_step(const ApplyPlan &plan, const QString &service)
{
    const PlanStep *last = nullptr;
    for (const PlanStep &step : plan.steps) {
        if (step.changes_override() && step.service == service)
            last = &step;
    }
    return last;
}

QString section(const QString &heading, const QStringList &lines)
{
    return lines.isEmpty() ? QString() : heading + QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
}

} // namespace

// Headers are short: one hunk that shows the whole header reads best. As with
// "diff -b", lines that differ only in blanks count as equal: the writer drops
// alignment blanks, which insserv does not care about, and the real changes
// should stand out. Such lines show as context in their new form.
QString unified_diff(const QString &old_path, const QStringList &old_lines, const QString &new_path,
                     const QStringList &new_lines)
{
    const int rows = old_lines.size(), columns = new_lines.size();
    const auto same = [&](int i, int j) { return old_lines.at(i).simplified() == new_lines.at(j).simplified(); };
    // common[i][j]: the longest common subsequence of the old lines from i and the new lines from j.
    QVector<QVector<int>> common(rows + 1, QVector<int>(columns + 1, 0));
    for (int i = rows - 1; i >= 0; --i) {
        for (int j = columns - 1; j >= 0; --j)
            common[i][j] = same(i, j) ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    }
    QStringList diff{QStringLiteral("--- %1").arg(old_path), QStringLiteral("+++ %1").arg(new_path),
                     QStringLiteral("@@ -%1,%2 +%3,%4 @@")
                         .arg(rows ? 1 : 0).arg(rows).arg(columns ? 1 : 0).arg(columns)};
    int i = 0, j = 0;
    while (i < rows || j < columns) {
        if (i < rows && j < columns && same(i, j)) {
            diff.append(QLatin1Char(' ') + new_lines.at(j));
            ++i;
            ++j;
        } else if (i < rows && (j == columns || common[i + 1][j] >= common[i][j + 1])) {
            diff.append(QLatin1Char('-') + old_lines.at(i++));
        } else {
            diff.append(QLatin1Char('+') + new_lines.at(j++));
        }
    }
    return diff.join(QLatin1Char('\n'));
}

namespace {

QString override_text(const ApplyPlan &plan, const PlanStep &step)
{
    const QString path = overrides_dir().filePath(step.service);
    if (step.kind == PlanStep::DeleteOverride)
        return QCoreApplication::translate("ServiceTable", "%1: override deleted").arg(path);
    const ServiceOrigin origin = plan.origins.value(step.service);
    return unified_diff(origin.header_path, origin.header_lines, path, content_lines(step.content));
}

// Services the plan does not touch whose links change all the same: renumbered
// by insserv, or links to nothing that insserv clears away.
QStringList other_changes(const ApplyPlan &plan, const Rehearsal &rehearsal)
{
    QStringList renumbered, lines;
    QSet<QString> services;
    for (const BootConfiguration *configuration : {&rehearsal.before, &rehearsal.after}) {
        for (auto links = configuration->links.cbegin(); links != configuration->links.cend(); ++links)
            services.insert(links.key());
    }
    QStringList names = services.values();
    names.sort();
    for (const QString &service : names) {
        const QList<RunlevelLink> before = rehearsal.before.links.value(service),
                                  after = rehearsal.after.links.value(service);
        if (plan.intended.contains(service) || before == after)
            continue;
        for (const RunlevelLink &link : before) {
            if (!link.leads_to_file && !after.contains(link))
                lines.append(QCoreApplication::translate("ServiceTable", "%1 leads nowhere and goes").arg(link.text()));
        }
        if (rehearsal.before.states_of(service) == rehearsal.after.states_of(service)
            && rehearsal.before.linked(service))
            renumbered.append(service);
    }
    if (!renumbered.isEmpty())
        lines.prepend(QCoreApplication::translate("ServiceTable", "Renumbered only (%1): %2")
                          .arg(renumbered.size())
                          .arg(renumbered.join(QStringLiteral(", "))));
    return lines;
}

// Every link put back, a line each.
QStringList restored_links(const PlanStep &step)
{
    if (step.links.isEmpty())
        return {QCoreApplication::translate("ServiceTable", "Links put back: none")};
    QStringList lines{QCoreApplication::translate("ServiceTable", "Links put back:")};
    for (const RunlevelLink &link : step.links)
        lines.append(QStringLiteral("  ") + link.text());
    return lines;
}

} // namespace

QStringList link_changes(const BootConfiguration &before, const BootConfiguration &after, const QString &service)
{
    QStringList lines;
    for (const QString &runlevel : all_runlevels()) {
        QStringList old_names, new_names;
        for (const RunlevelLink &link : before.links.value(service)) {
            if (link.runlevel == runlevel)
                old_names.append(link.name);
        }
        for (const RunlevelLink &link : after.links.value(service)) {
            if (link.runlevel == runlevel)
                new_names.append(link.name);
        }
        if (old_names == new_names)
            continue;
        const QString old_text = old_names.join(QStringLiteral(", ")), new_text = new_names.join(QStringLiteral(", "));
        if (old_names.isEmpty())
            lines.append(
                QCoreApplication::translate("ServiceTable", "runlevel %1: %2 appears").arg(runlevel, new_text));
        else if (new_names.isEmpty())
            lines.append(QCoreApplication::translate("ServiceTable", "runlevel %1: %2 goes").arg(runlevel, old_text));
        else
            lines.append(QCoreApplication::translate("ServiceTable", "runlevel %1: %2 becomes %3")
                             .arg(runlevel, old_text, new_text));
    }
    return lines;
}

QString plan_preview(const ApplyPlan &plan, const Rehearsal &rehearsal)
{
    const QStringList services = plan.touched_services();
    int overrides = 0;
    for (const PlanStep &step : plan.steps)
        overrides += step.changes_override() ? 1 : 0;
    QStringList blocks{QCoreApplication::translate(
                           "ServiceTable", "Services (%1): %2; overrides written or deleted: %3; program runs: %4")
                           .arg(services.size())
                           .arg(services.join(QStringLiteral(", ")))
                           .arg(overrides)
                           .arg(plan.program_runs())};
    for (const QString &service : services) {
        QStringList lines{QCoreApplication::translate("ServiceTable", "%1:").arg(service)};
        if (rehearsal.available)
            lines += link_changes(rehearsal.before, rehearsal.after, service);
        if (const PlanStep *step = last_override_step(plan, service))
            lines.append(override_text(plan, *step));
        for (const PlanStep &step : plan.steps) {
            if (step.kind == PlanStep::Run && step.service == service)
                lines.append(step.command());
            if (step.kind == PlanStep::RestoreLinks && step.service == service)
                lines += restored_links(step);
        }
        blocks.append(lines.join(QLatin1Char('\n')));
    }
    for (const PlanStep &step : plan.steps) {
        if (step.kind == PlanStep::RestoreFiles)
            blocks.append(step_text(step));
    }
    if (rehearsal.available) {
        const QStringList others = other_changes(plan, rehearsal);
        if (!others.isEmpty())
            blocks.append(others.join(QLatin1Char('\n')));
    }
    return blocks.join(QStringLiteral("\n\n"));
}

QString outcome_details(const PlanOutcome &outcome)
{
    QStringList done;
    for (const PlanStep &step : outcome.done)
        done.append(step_text(step));
    QStringList sections{
        section(QCoreApplication::translate("ServiceTable", "Done:"), done),
        section(QCoreApplication::translate("ServiceTable", "Not as the table shows:"), outcome.differences),
        section(QCoreApplication::translate("ServiceTable", "Restored exactly as before:"), outcome.restored),
        section(QCoreApplication::translate("ServiceTable", "Not restored:"), outcome.not_restored)};
    sections.removeAll(QString());
    return sections.join(QStringLiteral("\n\n"));
}
