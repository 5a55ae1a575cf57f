#include "app/find_service_dialog.h"

#include "catalogue/insserv_config.h"
#include "table/service_table.h"

#include <QDialogButtonBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

FindServiceDialog::FindServiceDialog(ServiceTable *table)
    : QDialog(table)
    , table(table)
    , line_edit(new QLineEdit)
    , find_button(new QPushButton(tr("Find")))
{
    connect(line_edit, &QLineEdit::textChanged, this, &FindServiceDialog::changed);

    auto *buttons = new QDialogButtonBox;
    buttons->addButton(find_button, QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Close);
    // The find button steps through the matches and never closes the dialog.
    connect(buttons, &QDialogButtonBox::accepted, this, &FindServiceDialog::next);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Service name:")));
    layout->addWidget(line_edit);
    layout->addWidget(buttons);
    setFixedHeight(minimumSizeHint().height());
    setWindowTitle(tr("Find service"));
    changed(QString());
}

void FindServiceDialog::changed(const QString &text)
{
    matches.clear();
    find_button->setText(tr("Find"));
    find_button->setEnabled(!text.isEmpty());
}

void FindServiceDialog::next()
{
    if (matches.isEmpty()) {
        matches = find_items(line_edit->text());
        if (matches.isEmpty())
            QMessageBox::information(this, tr("Find service"), tr("Service not found."), QMessageBox::Ok);
    }
    if (!matches.isEmpty())
        table->setCurrentItem(matches.takeFirst());
    find_button->setText(matches.isEmpty() ? tr("Find") : tr("Next"));
}

// A text that names a facility of the insserv configuration also finds the
// services the facility stands for.
QList<QTableWidgetItem *> FindServiceDialog::find_items(const QString &text) const
{
    QSet<QString> members;
    for (const QString &facility : ServiceInfo::virtual_facility_names()) {
        if (!text.isEmpty() && facility.indexOf(text, 0, Qt::CaseInsensitive) >= 0) {
            QList<Service> expanded;
            expand_facility(expanded, Service(facility));
            for (const Service &member : std::as_const(expanded))
                members.insert(member.name);
        }
    }
    // Grouped by their full case folding, which never parts two names that
    // compare equal ignoring case; the comparison itself decides within a group.
    QHash<QString, QStringList> names;
    const QList<Service> services = table->services(false);
    for (const Service &service : services) {
        if (service.name.indexOf(text, 0, Qt::CaseInsensitive) >= 0 || members.contains(service.name)) {
            names[service.name.toCaseFolded()].append(service.name);
            continue;
        }
        const QStringList provided_names = service.provided_names();
        for (const QString &provided : provided_names) {
            if (provided.indexOf(text, 0, Qt::CaseInsensitive) >= 0 || members.contains(provided))
                names[service.name.toCaseFolded()].append(service.name);
        }
    }
    QList<QTableWidgetItem *> result;
    if (names.isEmpty())
        return result;
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem *name_cell = table->item(row, 0);
        const QString name = name_cell->data(ServiceTable::ServiceNameRole).toString();
        if (names.value(name.toCaseFolded()).contains(name, Qt::CaseInsensitive))
            result.append(name_cell);
    }
    return result;
}

void FindServiceDialog::filter_items(const QString &text)
{
    show_hidden_rows();
    const QList<QTableWidgetItem *> found_list = find_items(text);
    const QSet<QTableWidgetItem *> found(found_list.cbegin(), found_list.cend());
    for (int row = 0; row < table->rowCount(); ++row) {
        if (!found.contains(table->item(row, 0))) {
            table->hideRow(row);
            hidden_rows.append(row);
        }
    }
}

void FindServiceDialog::show_hidden_rows()
{
    for (int row : std::as_const(hidden_rows))
        table->showRow(row);
    hidden_rows.clear();
}
