#include "table/service_table.h"

#include "catalogue/insserv_config.h"
#include "catalogue/service_info.h"
#include "table/colour_contrast.h"

#include <QBrush>

namespace {

// Green, red and coral as hues; each is made dark or light enough to read on the
// table's base colour, whatever the colour scheme.
const QColor optional_colour(40, 250, 40, 255);
const QColor disabled_colour(250, 0, 0, 255);
const QColor enabled_colour(250, 127, 80, 255);

// A name belongs to the first service of the load order that is called so or
// provides it. An empty name (two blanks in a header, or a header without a
// "Provides" value) names nothing, so it can never colour a service.
QHash<QString, QTableWidgetItem *> name_cells(const ServiceTable &table)
{
    QHash<QString, QTableWidgetItem *> by_service;
    for (int row = 0; row < table.rowCount(); ++row) {
        QTableWidgetItem *cell = table.item(row, 0);
        const QString name = cell->data(ServiceTable::ServiceNameRole).toString();
        if (!by_service.contains(name))
            by_service.insert(name, cell);
    }

    QHash<QString, QTableWidgetItem *> result;
    for (const Service &service : table.services(true)) {
        QTableWidgetItem *cell = by_service.value(service.name);
        for (const QString &name : QStringList{service.name} + service.provided_names()) {
            if (!name.isEmpty() && !result.contains(name))
                result.insert(name, cell);
        }
    }
    return result;
}

} // namespace

void ServiceTable::highlight_services_dependencies(bool on)
{
    // Back to the palette's text colour: a fixed black would vanish on the base
    // of a dark colour scheme.
    for (QTableWidgetItem *cell : qAsConst(highlighted_items))
        cell->setData(Qt::ForegroundRole, QVariant());
    highlighted_items.clear();
    if (!on)
        return;
    for (QTableWidgetItem *cell : selectedItems())
        highlight_service_dependencies(cell);
}

// Only "Required-Start" says what must run before a service at boot.
void ServiceTable::highlight_service_dependencies(QTableWidgetItem *item)
{
    if (!item)
        item = currentItem();
    if (!item)
        return;
    const ServiceInfo info(item->data(ServiceNameRole).toString());
    QList<Service> dependencies;
    for (const auto &field : info.dependencies) {
        if (field.first != QLatin1String("Required-Start"))
            continue;
        for (const LSBDependency &dependency : field.second)
            expand_facility(dependencies, dependency);
    }

    for (const Service &dependency : qAsConst(dependencies)) {
        QTableWidgetItem *cell = find_service_item(dependency.name);
        if (!cell)
            continue;
        highlighted_items.append(cell);
        QColor colour = enabled_colour;
        if (dependency.optional)
            colour = optional_colour;
        else if (!service_enabled(cell->row()))
            colour = disabled_colour;
        colour = with_contrast(colour, palette().color(QPalette::Base));
        cell->setData(Qt::ForegroundRole, QBrush(colour, Qt::SolidPattern));
    }
}

QTableWidgetItem *ServiceTable::find_service_item(const QString &name)
{
    if (dependency_cells.isEmpty())
        dependency_cells = name_cells(*this);
    return dependency_cells.value(name);
}
