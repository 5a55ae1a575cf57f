#include "app/find_service_dialog.h"

#include "catalogue/insserv_config.h"
#include "table/service_table.h"

#include <QDialogButtonBox>
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
            for (const Service &member : qAsConst(expanded))
                members.insert(member.name);
        }
    }
    QStringList names;
    for (const Service &service : table->services(false)) {
        if (service.name.indexOf(text, 0, Qt::CaseInsensitive) >= 0 || members.contains(service.name)) {
            names.append(service.name);
            continue;
        }
        for (const QString &provided : service.provided_names()) {
            if (provided.indexOf(text, 0, Qt::CaseInsensitive) >= 0 || members.contains(provided))
                names.append(service.name);
        }
    }
    QList<QTableWidgetItem *> result;
    if (names.isEmpty())
        return result;
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem *name_cell = table->item(row, 0);
        if (names.contains(name_cell->data(ServiceTable::ServiceNameRole).toString(), Qt::CaseInsensitive))
            result.append(name_cell);
    }
    return result;
}

void FindServiceDialog::filter_items(const QString &text)
{
    show_hidden_rows();
    const QList<QTableWidgetItem *> found = find_items(text);
    for (int row = 0; row < table->rowCount(); ++row) {
        if (!found.contains(table->item(row, 0))) {
            table->hideRow(row);
            hidden_rows.append(row);
        }
    }
}

void FindServiceDialog::show_hidden_rows()
{
    for (int row : qAsConst(hidden_rows))
        table->showRow(row);
    hidden_rows.clear();
}
