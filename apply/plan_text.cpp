#include "apply/plan_text.h"

#include "apply/override_writer.h"
#include "catalogue/system_paths.h"

#include <QCoreApplication>
#include <QVector>

QString step_text(const PlanStep &step)
{
    const QString path = overrides_dir().filePath(step.service);
    if (step.kind == PlanStep::WriteOverride)
        return QCoreApplication::translate("ServiceTable", "Written: %1").arg(path);
    if (step.kind == PlanStep::DeleteOverride)
        return QCoreApplication::translate("ServiceTable", "Deleted: %1").arg(path);
    return step.command();
}

namespace {

// The last override step of each service, in the order the services are first written.
QList<const PlanStep *> final_override_steps(const ApplyPlan &plan)
{
    QList<const PlanStep *> result;
    QStringList services;
    for (const PlanStep &step : plan.steps) {
        if (step.kind == PlanStep::Run)
            continue;
        const int known = services.indexOf(step.service);
        if (known < 0) {
            services.append(step.service);
            result.append(&step);
        } else {
            result[known] = &step;
        }
    }
    return result;
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

QString plan_preview(const ApplyPlan &plan)
{
    QStringList blocks;
    for (const PlanStep *step : final_override_steps(plan)) {
        const QString path = overrides_dir().filePath(step->service);
        if (step->kind == PlanStep::DeleteOverride) {
            blocks.append(QCoreApplication::translate("ServiceTable", "%1: override deleted").arg(path));
            continue;
        }
        const ServiceOrigin origin = plan.origins.value(step->service);
        blocks.append(unified_diff(origin.header_path, origin.header_lines, path, content_lines(step->content)));
    }
    QStringList commands;
    for (const PlanStep &step : plan.steps) {
        if (step.kind == PlanStep::Run)
            commands.append(step.command());
    }
    if (!commands.isEmpty())
        blocks.append(commands.join(QLatin1Char('\n')));
    return blocks.join(QStringLiteral("\n\n"));
}

QString outcome_details(const PlanOutcome &outcome)
{
    QStringList done;
    for (const PlanStep &step : outcome.done)
        done.append(step_text(step));
    QStringList sections{section(QCoreApplication::translate("ServiceTable", "Done:"), done), section(QCoreApplication::translate("ServiceTable", "Restored:"), outcome.restored),
                         section(QCoreApplication::translate("ServiceTable", "Not restored:"), outcome.not_restored)};
    sections.removeAll(QString());
    return sections.join(QStringLiteral("\n\n"));
}
