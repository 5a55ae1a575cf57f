#pragma once

#include <QDialog>

#include <functional>

class DependenciesWidget;
class QFormLayout;
class QLayout;
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
    // What Apply does before the dialog closes: true once the dependencies are
    // written. Until then the dialog stays open with the edit, whether the user
    // declined the preview or the write failed.
    void set_apply(std::function<bool()> apply) { apply_edit = std::move(apply); }

public slots:
    void cancel();
    void changed();
    void apply();
    // Escape and the window's close button: a changed edit is not dropped unasked.
    void reject() override;

private:
    QFormLayout *build_fields(const ServiceInfo &info);
    QWidget *build_buttons();
    QLayout *build_required_by(ServiceTable *table, const QString &service_name);
    static QString field_label(const QString &field);

    DependenciesWidget *widget = nullptr;
    bool cancelled_flag = false;
    QPushButton *apply_button = nullptr;
    QPushButton *close_button = nullptr;
    std::function<bool()> apply_edit;
};
