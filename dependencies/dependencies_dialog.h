#pragma once

#include <QDialog>

class DependenciesWidget;
class QFormLayout;
class QPushButton;
class ServiceInfo;
class ServiceTable;

// Shows one service's informational header fields and edits its dependency
// fields. Lives for one run of the table's edit flow.
class DependenciesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DependenciesDialog(ServiceTable *table, const QString &service_name);

    DependenciesWidget *dependencies_widget() const { return widget; }
    bool cancelled() const { return cancelled_flag; }

public slots:
    void cancel();
    void changed();

private:
    QFormLayout *build_fields(const ServiceInfo &info);
    QWidget *build_buttons();
    static QString field_label(const QString &field);

    DependenciesWidget *widget = nullptr;
    bool cancelled_flag = false;
    QPushButton *apply_button = nullptr;
    QPushButton *close_button = nullptr;
};
