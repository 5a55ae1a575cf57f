#pragma once

#include "catalogue/boot_order.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class BootOrderView;
class QAction;
class QComboBox;
class QLabel;
class ServiceTable;
struct Rehearsal;

// The boot of a chosen runlevel as a picture, from the links the table was
// loaded from; beside it, on request, what the rehearsal of the pending
// changes leaves. Selecting a service here selects it in the table.
class BootOrderWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit BootOrderWindow(QWidget *parent);
    ~BootOrderWindow() override;

    // Today's order is the table's; a new table replaces it.
    void show_table(ServiceTable *table);
    void show_runlevel(const QString &runlevel);
    QString runlevel() const;
    // Rehearses the pending changes (as root, in a private mount namespace)
    // and shows their order beside today's; says so when that cannot be done.
    void show_after_apply(bool on);
    BootOrderView *today_view() const { return today; }
    BootOrderView *after_view() const { return after; }
    QString after_note() const;

public slots:
    // The pending changes changed: the rehearsal shown is no longer theirs.
    void pending_changed();
    void select(const QString &service);

signals:
    void service_selected(const QString &service);

private:
    void redraw();
    void rehearse_pending();
    void save(bool svg);
    QString title(bool after_apply) const;

    QPointer<ServiceTable> table;
    QComboBox *runlevels = nullptr;
    QAction *after_switch = nullptr;
    BootOrderView *today = nullptr;
    BootOrderView *after = nullptr;
    QWidget *after_pane = nullptr;
    QLabel *after_label = nullptr;
    BootOrderView *last_used = nullptr;
    // What the rehearsal of the pending changes left: the links and the
    // headers insserv then reads.
    std::unique_ptr<BootConfiguration> rehearsed;
    std::unique_ptr<DependencyGraph> rehearsed_graph;
};
