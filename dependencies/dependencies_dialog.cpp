#include "dependencies/dependencies_dialog.h"

#include "catalogue/administrator_rights.h"
#include "catalogue/service_info.h"
#include "dependencies/dependencies_widget.h"
#include "table/service_table.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

DependenciesDialog::DependenciesDialog(ServiceTable *table, const QString &service_name)
    : QDialog(table)
{
    const ServiceInfo info(service_name);
    setWindowTitle(service_name);

    widget = new DependenciesWidget(table, service_name, info.dependencies);
    widget->setMinimumSize(1, 1);
    widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(widget, &DependenciesWidget::dependencies_changed, this, &DependenciesDialog::changed);

    auto *editing = new QHBoxLayout;
    editing->addWidget(widget, 3);
    editing->addLayout(build_required_by(table, service_name), 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(build_fields(info));
    layout->addLayout(editing);
    layout->addWidget(build_buttons());
    // The tree's own size hint leaves room for a handful of rows only.
    resize(sizeHint().expandedTo(QSize(760, 620)));
}

// What disabling or changing this service touches: read only, from the headers
// the table loaded. A name other than the service's own says how it is asked
// for (an alias, a facility such as $portmap).
QLayout *DependenciesDialog::build_required_by(ServiceTable *table, const QString &service_name)
{
    auto *list = new QListWidget;
    list->setObjectName(QStringLiteral("required by"));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    for (const Requirement &requirement : required_by(table->dependency_graph(), service_name)) {
        const QString how = requirement.name == service_name
            ? requirement.field
            : tr("%1: %2").arg(requirement.field, requirement.name);
        auto *item = new QListWidgetItem(tr("%1 (%2)").arg(requirement.waiting, how), list);
        item->setToolTip(
            QCoreApplication::translate("DependencyGraph", "%1 in %2").arg(requirement.field, requirement.file));
        // Should-Start and "+" only order: lighter in the table, in italics here.
        QFont font = item->font();
        font.setItalic(!requirement.strong());
        item->setFont(font);
    }
    auto *label = new QLabel(list->count() == 0 ? tr("Required by no service") : tr("Required by"));
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(list);
    auto *column = new QVBoxLayout;
    column->addWidget(label);
    column->addWidget(list);
    return column;
}

// Header values come from any script on the machine: they are shown as they
// are written, never interpreted as markup.
QFormLayout *DependenciesDialog::build_fields(const ServiceInfo &info)
{
    auto *form = new QFormLayout;
    for (const auto &field : info.fields) {
        if (field.second.isEmpty())
            continue;
        auto *label = new QLabel(tr("%1:").arg(field_label(field.first)));
        auto *value = new QLabel(field.second);
        for (QLabel *text : {label, value}) {
            text->setTextFormat(Qt::PlainText);
            text->setMinimumSize(1, 1);
        }
        form->addRow(label, value);
    }
    return form;
}

QWidget *DependenciesDialog::build_buttons()
{
    auto *buttons = new QDialogButtonBox;
    apply_button = buttons->addButton(tr("Apply"), QDialogButtonBox::AcceptRole);
    apply_button->setEnabled(false);
    if (!has_administrator_rights())
        apply_button->setToolTip(tr("Changing dependencies needs administrator rights"));
    close_button = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &DependenciesDialog::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &DependenciesDialog::cancel);
    return buttons;
}

QString DependenciesDialog::field_label(const QString &field)
{
    if (field == QLatin1String("Provides"))
        return tr("Provides");
    if (field == QLatin1String("Short-Description"))
        return tr("Short-Description");
    if (field == QLatin1String("Description"))
        return tr("Description");
    return field;
}

void DependenciesDialog::cancel()
{
    cancelled_flag = true;
    QDialog::reject();
}

void DependenciesDialog::apply()
{
    if (!apply_edit || apply_edit())
        accept();
}

// Cancel is the default: both other answers act on the edit at once.
void DependenciesDialog::reject()
{
    if (!widget->modified() || !apply_edit)
        return QDialog::reject();
    const auto answer
        = QMessageBox::question(this, ServiceTable::tr("Service changes"), ServiceTable::tr("Apply changes?"),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        apply();
    else if (answer == QMessageBox::No)
        QDialog::reject();
}

void DependenciesDialog::changed()
{
    apply_button->setEnabled(has_administrator_rights());
    close_button->setText(tr("Cancel"));
}
