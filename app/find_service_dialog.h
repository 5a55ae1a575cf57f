#pragma once

#include <QDialog>
#include <QList>

class QLineEdit;
class QPushButton;
class QTableWidgetItem;
class ServiceTable;

// Finds services of the table by part of their name or of a provided name;
// each press of the button selects the next match, then starts again.
class FindServiceDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FindServiceDialog(ServiceTable *table);

    void show_hidden_rows();
    QList<QTableWidgetItem *> find_items(const QString &text) const;

public slots:
    void changed(const QString &text);
    void next();
    void filter_items(const QString &text);

private:
    QList<QTableWidgetItem *> matches;
    QList<int> hidden_rows;
    ServiceTable *table = nullptr;
    QLineEdit *line_edit = nullptr;
    QPushButton *find_button = nullptr;
};
