#pragma once

#include "catalogue/change_map.h"

#include <QMainWindow>

class AdminStatusBar;
class BootOrderWindow;
class NoticeBar;
class AdministratorBar;
class QAction;
class QSignalMapper;
class QToolBar;
class QVBoxLayout;
class ServiceControl;
class ServiceTable;

// The program's only window: hosts the service table, replaces it by a freshly
// loaded one after every apply, reset and undo, and offers every operation as
// an action enabled from what is selected.
class AdminRunlevel : public QMainWindow
{
    Q_OBJECT

public:
    AdminRunlevel();
    ~AdminRunlevel() override;

    // Size of a first window, without a remembered geometry: the size wanted for
    // the whole width of the table and its first rows, kept between half and
    // nine tenths of the desktop in each direction.
    static QSize first_window_size(const QSize &desktop, const QSize &wanted);

    // Registers edits handed over as text by an ordinary instance (see
    // table/pending_edits.h); returns a line for each edit or line it could not
    // take, saying why.
    QStringList take_over_edits(const QByteArray &text);
    // A title other than the restart's for the changes kept over a reload.
    void show_refused_edits(const QStringList &refused, const QString &title = QString());

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void enable_apply_action(bool enable);
    void selection_changed(bool any, bool many, bool state, bool level, bool level_s);
    void apply_changes();
    void undo_changes();
    void find_service();
    void edit_service();
    void reset_service_defaults();
    void switch_services_runlevels(QString mark);
    void toggle_item();
    void switch_services_state(int enable);
    void reload();
    void dependencies_written();
    void show_table_state();
    void show_notices();
    void configuration_changed(const QStringList &services);
    void restart_as_administrator();
    void show_boot_order();
    void undo_last_apply();

private:
    QAction *make_action(const char *icon, const QString &text);
    QAction *make_action(const char *icon, const QString &text, const QString &shortcut);
    void build_actions();
    void build_menus();
    void build_tool_bar();
    void build_mappers();
    void rebuild_table();
    QString apply_question() const;
    int table_width() const;
    static QString with_notice(const QString &notice, const QString &question);
    int window_height(int rows) const;
    bool confirmed(const QString &title, const QString &question, const QString &details, bool yes_by_default = true);
    // In admin_runlevel_edits.cpp: closing, what an apply that stopped keeps, the restart as administrator.
    bool may_close();
    void keep_unapplied(const ChangeMap &edits);
    void suspend_editing(bool suspend);
    // In admin_runlevel_undo.cpp: whether the history has an apply to undo.
    void read_undo_state();

    // Without it, edits stay possible but nothing that writes is offered.
    const bool administrator;
    // The pending edits went to the administrator's instance: closing loses nothing.
    bool handed_over = false;
    ServiceTable *table = nullptr;
    QVBoxLayout *central_layout = nullptr;
    QToolBar *tool_bar = nullptr;
    AdminStatusBar *status = nullptr;
    NoticeBar *notice_bar = nullptr;
    AdministratorBar *administrator_bar = nullptr;
    ServiceControl *service_control = nullptr;
    BootOrderWindow *boot_order_window = nullptr;

    QAction *apply_all = nullptr;
    QAction *undo_all = nullptr;
    QAction *undo_last = nullptr;
    bool undoable = false; // the history has an apply to undo
    QAction *reload_table = nullptr;
    QAction *exit = nullptr;
    QAction *enable = nullptr;
    QAction *disable = nullptr;
    QAction *start_on_level = nullptr;
    QAction *stop_on_level = nullptr;
    QAction *ignore_on_level = nullptr;
    QAction *toggle = nullptr;
    QAction *edit = nullptr;
    QAction *find = nullptr;
    QAction *reset = nullptr;
    QAction *boot_order = nullptr;

    QList<QAction *> suspended_actions;
    QSignalMapper *state_mapper = nullptr;
    QSignalMapper *level_mapper = nullptr;
};
