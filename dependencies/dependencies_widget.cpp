#include "dependencies/dependencies_widget.h"

#include "table/colour_contrast.h"
#include "table/service_table.h"

#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStandardItemModel>

namespace {

// In the order of LSBDependency::keywords.
const char *const keyword_titles[] = {
    QT_TRANSLATE_NOOP("DependenciesWidget", "Required-Start"),
    QT_TRANSLATE_NOOP("DependenciesWidget", "Required-Stop"),
    QT_TRANSLATE_NOOP("DependenciesWidget", "Should-Start"),
    QT_TRANSLATE_NOOP("DependenciesWidget", "Should-Stop"),
    QT_TRANSLATE_NOOP("DependenciesWidget", "X-Start-Before"),
    QT_TRANSLATE_NOOP("DependenciesWidget", "X-Stop-After"),
};

// Green, dark or light enough to read on the tree's base colour.
QBrush optional_brush(const QWidget *tree)
{
    return QBrush(with_contrast(QColor(40, 250, 40, 255), tree->palette().color(QPalette::Base)), Qt::SolidPattern);
}

QStandardItem *dependency_row(const Service &dependency, const QWidget *tree)
{
    auto *row = new QStandardItem(dependency.name);
    if (dependency.optional) {
        row->setData(true, DependenciesWidget::OptionalRole);
        row->setForeground(optional_brush(tree));
    }
    return row;
}

QStringList unique_sorted(QStringList names)
{
    names.removeDuplicates();
    names.sort(Qt::CaseSensitive);
    return names;
}

} // namespace

DependenciesWidget::DependenciesWidget(ServiceTable *table, const QString &service_name,
                                       const DependencyFields &dependencies)
    : QTreeView(table)
    , tree_model(new QStandardItemModel(this))
    , table(table)
    , service(service_name)
{
    service.load_provides();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    const FacilityMap facilities = ServiceInfo::virtual_facilities();
    for (const auto &field : dependencies) {
        QStandardItem *kind = kind_row(field.first);
        for (const LSBDependency &dependency : field.second) {
            QSet<Service> visited;
            add_dependency_item(dependency, kind, facilities, visited);
        }
        tree_model->appendRow(kind);
    }
    setModel(tree_model);
    // The dependencies are what the user came for; the services behind a facility
    // stay folded until asked for.
    for (int row = 0; row < tree_model->rowCount(); ++row)
        expand(tree_model->index(row, 0));
    setHeaderHidden(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &DependenciesWidget::show_context_menu);
}

QStandardItem *DependenciesWidget::kind_row(const QString &keyword) const
{
    const int index = LSBDependency::keywords.indexOf(keyword);
    const QString title = index < 0 ? keyword : tr(keyword_titles[index]);
    auto *row = new QStandardItem(QStringLiteral("%1 (%2)").arg(title, keyword));
    row->setData(keyword, Qt::UserRole);
    return row;
}

// Within one dependency's subtree every service shows once, which also ends
// facilities whose definitions lead back to themselves.
void DependenciesWidget::add_dependency_item(const Service &dependency, QStandardItem *parent,
                                             const FacilityMap &facilities, QSet<Service> &visited)
{
    if (visited.contains(dependency))
        return;
    visited.insert(dependency);
    QStandardItem *row = dependency_row(dependency, this);
    if (dependency.is_virtual() && facilities.contains(dependency)) {
        for (const Service &member : facilities.value(dependency))
            add_dependency_item(member, row, facilities, visited);
    }
    parent->appendRow(row);
}

QVariantList DependenciesWidget::collect_dependencies() const
{
    QVariantList payload;
    for (int row = 0; row < tree_model->rowCount(); ++row) {
        const QStandardItem *kind = tree_model->item(row);
        QVariantList dependencies;
        for (int child = 0; child < kind->rowCount(); ++child) {
            const QStandardItem *dependency = kind->child(child);
            dependencies.append(QVariantMap{{QStringLiteral("service name"), dependency->text()},
                                            {QStringLiteral("is optional"), dependency->data(OptionalRole).toBool()}});
        }
        payload.append(QVariantMap{{QStringLiteral("keyword"), kind->data(Qt::UserRole).toString()},
                                   {QStringLiteral("dependencies"), dependencies}});
    }
    return payload;
}

void DependenciesWidget::show_context_menu(const QPoint &point)
{
    QStandardItem *item = tree_model->itemFromIndex(indexAt(point));
    const bool member = item && item->parent() && item->parent()->parent();
    if (member)
        return;

    QMenu menu;
    QAction *add = nullptr;
    QAction *optional = nullptr;
    QAction *remove = nullptr;
    if (!item) {
        add = menu.addAction(tr("Add dependency kind"));
    } else if (!item->parent()) {
        add = menu.addAction(tr("Add dependency"));
        remove = menu.addAction(tr("Remove dependency kind"));
    } else {
        if (!item->text().startsWith(QLatin1Char('$'))) {
            optional = menu.addAction(tr("Is optional"));
            optional->setCheckable(true);
            optional->setChecked(item->data(OptionalRole).toBool());
        }
        remove = menu.addAction(tr("Remove dependency"));
    }

    QAction *chosen = menu.exec(viewport()->mapToGlobal(point));
    if (!chosen)
        return;
    if (chosen == add && item)
        add_dependency(item);
    else if (chosen == add)
        add_dependency_keyword();
    else if (chosen == optional)
        toggle_optional(item);
    else if (chosen == remove)
        delete_dependency(item);
}

void DependenciesWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    show_context_menu(event->pos());
}

void DependenciesWidget::toggle_optional(QStandardItem *item)
{
    mark_modified();
    const bool optional = !item->data(OptionalRole).toBool();
    item->setData(optional, OptionalRole);
    const QColor text = palette().brush(QPalette::Current, QPalette::Text).color();
    item->setForeground(optional ? optional_brush(this) : QBrush(text, Qt::SolidPattern));
}

// A cancelled choice leaves the tree as it was, so it does not count as a change:
// a change would let the edit flow write an override that pins the header.
void DependenciesWidget::add_dependency_keyword()
{
    QStringList offered = LSBDependency::keywords;
    for (int row = 0; row < tree_model->rowCount(); ++row)
        offered.removeAll(tree_model->item(row)->data(Qt::UserRole).toString());
    offered.sort(Qt::CaseSensitive);
    if (offered.isEmpty()) {
        QMessageBox::warning(nullptr, tr("Add dependency kind"), tr("All possible keywords is used"),
                             QMessageBox::Ok);
        return;
    }
    bool chosen = false;
    const QString keyword =
        QInputDialog::getItem(this, tr("Add dependency kind"), tr("Keyword:"), offered, 0, false, &chosen);
    if (!chosen)
        return;
    tree_model->appendRow(kind_row(keyword));
    mark_modified();
}

// A leading "+" is the header's own mark of an optional dependency, so it makes
// the new row optional rather than becoming part of its name.
void DependenciesWidget::add_dependency(QStandardItem *item)
{
    if (!item)
        return;
    const QStringList excluded = excluded_names(item);
    const QStringList offered = offered_names(excluded);
    // A script without a "Provides" value is still known by its own name.
    QStringList known = offered;
    for (const Service &listed : table->services(true))
        known.append(listed.name);
    QString text;
    Verdict verdict = AskAgain;
    while (verdict == AskAgain) {
        text = ask_dependency(offered, text);
        if (text.isEmpty())
            return;
        verdict = judge_dependency(text, excluded, known);
    }
    if (verdict == Refuse)
        return;
    const Service dependency(text);
    item->appendRow(dependency_row(dependency, this));
    expand(item->index());
    mark_modified();
}

// The name typed before is offered again, so that it can be corrected.
QString DependenciesWidget::ask_dependency(const QStringList &offered, const QString &typed)
{
    QInputDialog dialog(this);
    dialog.setWindowTitle(tr("Add dependency"));
    dialog.setLabelText(tr("Service name:"));
    dialog.setComboBoxItems(offered);
    dialog.setComboBoxEditable(true);
    if (!typed.isEmpty())
        dialog.setTextValue(typed);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

// An invalid or repeated name is refused with a warning; an unknown one is
// added only when the user insists, and otherwise offered for correction.
DependenciesWidget::Verdict DependenciesWidget::judge_dependency(const QString &text, const QStringList &excluded,
                                                                 const QStringList &known)
{
    const Service dependency(text);
    static const QRegularExpression word(QRegularExpression::anchoredPattern(QStringLiteral("\\S+")));
    if (!word.match(text).hasMatch() || dependency.name.isEmpty() || dependency.name.startsWith(QLatin1Char('+'))) {
        QMessageBox::warning(nullptr, tr("Invalid dependency"), tr("Invalid dependency."), QMessageBox::Ok);
        return Refuse;
    }
    if (excluded.contains(dependency.name)) {
        QMessageBox::warning(nullptr, tr("Dependency exists"),
                             tr("\"%1\" dependency already exists.").arg(dependency.name), QMessageBox::Ok);
        return Refuse;
    }
    // insserv refuses a dependency that nothing provides; "$all" is its own.
    if (known.contains(dependency.name) || dependency.name == QLatin1String("$all"))
        return Add;
    const bool insisted = QMessageBox::warning(nullptr, tr("Unknown dependency"),
                                tr("No service provides \"%1\", and the insserv configuration has no facility of "
                                   "that name: insserv will refuse it.\n\nAdd it anyway?")
                                    .arg(dependency.name),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
    return insisted ? Add : AskAgain;
}

// A service never depends on itself, under whichever of its names.
QStringList DependenciesWidget::excluded_names(const QStandardItem *kind) const
{
    QStringList excluded = service.provided_names();
    excluded.append(service.name);
    for (int child = 0; child < kind->rowCount(); ++child)
        excluded.append(kind->child(child)->text());
    return excluded;
}

QStringList DependenciesWidget::offered_names(const QStringList &excluded) const
{
    QStringList service_names;
    for (const Service &known : table->services(true))
        service_names.append(known.provided_names());
    QStringList offered;
    for (const QString &name : ServiceInfo::virtual_facility_names() + unique_sorted(service_names)) {
        if (!name.isEmpty() && !excluded.contains(name))
            offered.append(name);
    }
    return unique_sorted(offered);
}

void DependenciesWidget::delete_dependency(QStandardItem *item)
{
    if (!item)
        return;
    if (item->parent())
        item->parent()->removeRow(item->row());
    else
        tree_model->removeRow(item->row());
    mark_modified();
}

void DependenciesWidget::mark_modified()
{
    modified_flag = true;
    emit dependencies_changed();
}
