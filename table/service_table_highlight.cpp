#include "table/service_table.h"

#include "catalogue/insserv_config.h"
#include "catalogue/service_info.h"
#include "table/colour_contrast.h"

#include <QBrush>
#include <QSet>

namespace {

// Green, red and coral as hues; each is made dark or light enough to read on the
// table's base colour, whatever the colour scheme.
const QColor optional_colour(40, 250, 40, 255);
const QColor disabled_colour(250, 0, 0, 255);
const QColor enabled_colour(250, 127, 80, 255);

} // namespace

// Only the cells whose colour changes are set: a cell that changes in a sorted
// table costs a search through the whole table.
void ServiceTable::highlight_services_dependencies(bool on)
{
    const QList<QTableWidgetItem *> previous = highlighted_items;
    highlighted_items.clear();
    dependency_sentence.clear();
    if (on) {
        const QList<QTableWidgetItem *> selected = selectedItems();
        for (QTableWidgetItem *cell : selected)
            highlight_service_dependencies(cell);
        if (selected.size() == 1)
            highlight_dependants(selected.first());
    }
    // Back to the palette's text colour: a fixed black would vanish on the base
    // of a dark colour scheme.
    const QSet<QTableWidgetItem *> kept(highlighted_items.cbegin(), highlighted_items.cend());
    for (QTableWidgetItem *cell : previous) {
        if (!kept.contains(cell))
            cell->setData(Qt::ForegroundRole, QVariant());
    }
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

    for (const Service &dependency : std::as_const(dependencies)) {
        QTableWidgetItem *cell = find_service_item(dependency.name);
        if (!cell)
            continue;
        highlighted_items.append(cell);
        const auto states = state_cells.value(cell);
        QColor colour = enabled_colour;
        if (dependency.optional)
            colour = optional_colour;
        else if (states.first->text() == disabled_mark && states.second->text() == disabled_mark)
            colour = disabled_colour;
        colour = with_contrast(colour, palette().color(QPalette::Base));
        cell->setData(Qt::ForegroundRole, QBrush(colour, Qt::SolidPattern));
    }
}

QTableWidgetItem *ServiceTable::find_service_item(const QString &name)
{
    if (dependency_cells.isEmpty())
        build_dependency_cells();
    return dependency_cells.value(name);
}

// A name belongs to the first service of the load order that is called so or
// provides it. An empty name (two blanks in a header, or a header without a
// "Provides" value) names nothing, so it can never colour a service.
void ServiceTable::build_dependency_cells()
{
    QHash<QString, QTableWidgetItem *> by_service;
    for (int row = 0; row < rowCount(); ++row) {
        QTableWidgetItem *cell = item(row, 0);
        const QString name = cell->data(ServiceNameRole).toString();
        if (by_service.contains(name))
            continue;
        by_service.insert(name, cell);
        state_cells.insert(cell, qMakePair(item(row, 1), item(row, columnCount() - 1)));
    }
    for (const Service &service : std::as_const(loaded_services)) {
        QTableWidgetItem *cell = by_service.value(service.name);
        for (const QString &name : QStringList{service.name} + service.provided_names()) {
            if (!name.isEmpty() && !dependency_cells.contains(name))
                dependency_cells.insert(name, cell);
        }
    }
}
