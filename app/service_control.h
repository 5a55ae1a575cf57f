#pragma once

#include "runtime/service_commands.h"
#include "runtime/switched_services.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class AdminStatusBar;
class QAction;
class QProgressDialog;
class ServiceTable;
class StatusQuery;

// How services run now, apart from how they boot: asks the state of every
// service of each new table and shows it there, offers "Start now", "Stop
// now" and "Restart now" for the selected services, and after an apply offers
// to start or stop the services it enabled or disabled. Everything runs
// without waiting on the window; states are asked only with administrator
// rights, as a status action run by another user cannot see root's processes
// and would call them dead.
class ServiceControl : public QObject
{
    Q_OBJECT

public:
    ServiceControl(QWidget *window, bool administrator);

    // Start now, stop now, restart now: for the Service menu.
    QList<QAction *> actions() const;
    // Shows the filters of the status bar on the current table.
    void show_in(AdminStatusBar *status_bar);
    // A new table: the states known so far show at once, and every state is asked again.
    void attach(ServiceTable *table);
    // After a successful apply of changes that switched these services.
    void offer_after_apply(const SwitchedServices &switched);

    bool busy() const { return commands != nullptr; }
    RunState state(const QString &name) const { return states.value(name, RunState::Unknown); }

signals:
    // After a start, stop or restart has run and its states are read back.
    void acted();

private:
    void build_actions();
    void enable_actions(bool selected);
    void ask_all();
    void show_state(const QString &name, RunState state);
    void refresh_filter();
    void act(const QString &action);
    static QString action_title(const QString &action);
    bool confirmed(const QString &action, const QStringList &names);
    void run(const QString &title, const QList<ServiceCommand> &list);
    void read_back();
    void report();
    QString outcome_text(const ServiceCommand &command) const;
    QString command_details(const ServiceCommand &command) const;

    QWidget *window;
    const bool administrator;
    QPointer<ServiceTable> table;
    QPointer<AdminStatusBar> status_bar;
    StatusQuery *query = nullptr;
    QHash<QString, RunState> states;
    QAction *start_now = nullptr;
    QAction *stop_now = nullptr;
    QAction *restart_now = nullptr;

    // While commands run and their states are read back.
    ServiceCommands *commands = nullptr;
    StatusQuery *check = nullptr;
    QProgressDialog *progress = nullptr;
    QString title;
};
