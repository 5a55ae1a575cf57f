#include "table/service_table.h"

#include "apply/details_box.h"
#include "apply/insserv_messages.h"
#include "apply/plan_check.h"
#include "apply/plan_text.h"
#include "catalogue/insserv_config.h"
#include "catalogue/system_paths.h"
#include "dependencies/dependencies_dialog.h"
#include "table/colour_contrast.h"

#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// The services that wait for the selected one: blue, and a lighter, greyer
// blue for those that only start after it when it runs (Should-Start, or "+").
const QColor required_by_colour(30, 90, 220);
const QColor wanted_by_colour(120, 150, 200);
// The colour of what the selected service requires, as the highlighting has it.
const QColor requires_colour(250, 127, 80);

GraphService graph_service(const ServiceInfo &header, const QString &file)
{
    QStringList provides = header.field(QStringLiteral("Provides")).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (provides.isEmpty())
        provides.append(header.name);
    return GraphService{header.name, file, provides, header.dependencies};
}

ServiceInfo script_header(const QString &name)
{
    QFile script(init_scripts_dir().filePath(name));
    return ServiceInfo::from_content(name, script.open(QIODevice::ReadOnly) ? script.readAll() : QByteArray());
}

QString coloured(const QString &text, const QColor &colour)
{
    return QStringLiteral("<span style=\"color:%1\">%2</span>").arg(colour.name(), text.toHtmlEscaped());
}

bool explains_anything(const QString &text)
{
    const QList<InsservMessage> messages = parse_insserv_messages(text, {});
    return std::any_of(messages.cbegin(), messages.cend(), [](const InsservMessage &message) {
        return message.kind != InsservMessage::Other && message.kind != InsservMessage::Expected;
    });
}

} // namespace

const DependencyGraph &ServiceTable::dependency_graph()
{
    if (!graph)
        graph = std::make_unique<DependencyGraph>(dependency_graph_with(configuration.overrides));
    return *graph;
}

// Paths as the machine names them: insserv's own words name them so too.
DependencyGraph ServiceTable::dependency_graph_with(const QMap<QString, QByteArray> &overrides)
{
    QList<GraphService> services;
    for (const Service &service : std::as_const(loaded_services)) {
        const QString &name = service.name;
        if (overrides.contains(name)) {
            services.append(graph_service(ServiceInfo::from_content(name, overrides.value(name)),
                                          QStringLiteral("/etc/insserv/overrides/") + name));
            continue;
        }
        const ServiceInfo header = configuration.overrides.contains(name) ? script_header(name) : loaded_header(name);
        if (header.valid)
            services.append(graph_service(header, QStringLiteral("/etc/init.d/") + name));
    }
    return DependencyGraph(services, facility_definitions());
}

// The second colour: what waits for the selected service at boot. The
// sentence counts what both colours mark.
void ServiceTable::highlight_dependants(const QTableWidgetItem *item)
{
    const QString name = item->data(ServiceNameRole).toString();
    const int requirements = QSet<QTableWidgetItem *>(highlighted_items.cbegin(), highlighted_items.cend()).size();
    const QColor base = palette().color(QPalette::Base);
    int strong = 0, light = 0;
    for (const Requirement &requirement : required_by(dependency_graph(), name)) {
        QTableWidgetItem *cell = find_service_item(requirement.waiting);
        if (!cell)
            continue;
        ++(requirement.strong() ? strong : light);
        highlighted_items.append(cell);
        const QColor colour = requirement.strong() ? required_by_colour : wanted_by_colour;
        cell->setData(Qt::ForegroundRole, QBrush(with_contrast(colour, base), Qt::SolidPattern));
    }

    const QColor window = palette().color(QPalette::Window);
    QString text = coloured(requirements == 1 ? tr("%1 requires %n service", nullptr, requirements).arg(name)
                                              : tr("%1 requires %n services", nullptr, requirements).arg(name),
                            with_contrast(requires_colour, window));
    text += QStringLiteral("; ")
        + coloured(strong == 1 ? tr("%n service requires %1", nullptr, strong).arg(name)
                               : tr("%n services require %1", nullptr, strong).arg(name),
                   with_contrast(required_by_colour, window));
    if (light > 0) {
        text += QStringLiteral("; ")
            + coloured(light == 1 ? tr("%n more starts after it when it runs (Should-Start)", nullptr, light)
                                  : tr("%n more start after it when it runs (Should-Start)", nullptr, light),
                       with_contrast(wanted_by_colour, window));
    }
    dependency_sentence = text;
}

// The editor of that service may be open already, below the box that
// offered it: then the user is back in it.
void ServiceTable::edit_later(const QString &name)
{
    for (const DependenciesDialog *open : findChildren<DependenciesDialog *>()) {
        if (open->isVisible() && open->windowTitle() == name)
            return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, name] {
            select_service(name, 0);
            if (currentItem() && currentItem()->data(ServiceNameRole).toString() == name)
                edit_service(nullptr);
        },
        Qt::QueuedConnection);
}

// One button for one service; for several, a button whose menu names them.
void ServiceTable::exec_offering_edit(QMessageBox &box, const QStringList &services)
{
    if (services.isEmpty()) {
        box.exec();
        return;
    }
    auto chosen = std::make_shared<QString>();
    QPushButton *button = nullptr;
    if (services.size() == 1) {
        button = box.addButton(tr("Edit dependencies of %1…").arg(services.first()), QMessageBox::ActionRole);
        *chosen = services.first();
        box.exec();
        if (box.clickedButton() == button)
            edit_later(*chosen);
        return;
    }
    button = box.addButton(tr("Edit dependencies…"), QMessageBox::ActionRole);
    auto *menu = new QMenu(button);
    for (const QString &service : services) {
        connect(menu->addAction(service), &QAction::triggered, &box, [&box, chosen, service] {
            *chosen = service;
            box.done(QMessageBox::Ok);
        });
    }
    button->setMenu(menu);
    box.exec();
    if (!chosen->isEmpty())
        edit_later(*chosen);
}

QStringList ServiceTable::services_to_edit(const ApplyPlan &plan, const Rehearsal &rehearsal)
{
    const DependencyGraph after = dependency_graph_with(rehearsal.after.overrides);
    QStringList services;
    if (rehearsal.outcome.error)
        explained(rehearsal.outcome.error->message(), plan, names_to_scripts(), &after, &services);
    explained(rehearsal.setup_after.messages, plan, names_to_scripts(), &after, &services);
    return services;
}

// insserv's words go to the details; the box says what they mean.
void ServiceTable::show_failure(const ApplyPlan &plan, const PlanOutcome &outcome)
{
    const QString message = outcome.error->message();
    if (!explains_anything(message))
        return outcome.error->show(outcome_details(outcome));
    const DependencyGraph after = dependency_graph_with(overrides_after(plan, configuration.overrides));
    QStringList services;
    const QStringList sentences = explained(message, plan, names_to_scripts(), &after, &services);
    QMessageBox box(QMessageBox::Critical, outcome.error->title(), sentences.join(QLatin1Char('\n')), QMessageBox::Ok);
    set_readable_details(box, message + QStringLiteral("\n\n") + outcome_details(outcome));
    exec_offering_edit(box, services);
}
