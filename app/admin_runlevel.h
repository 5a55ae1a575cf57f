#pragma once

#include <QMainWindow>

class AdminStatusBar;
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

    // Width of a first window, without a remembered geometry: wide enough for the
    // whole table when that fits in nine tenths of the desktop, else half of it.
    static int first_window_width(int desktop_width, int table_width);

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
    bool confirmed(const QString &title, const QString &question, const QString &details);

    // Without it, edits stay possible but nothing that writes is offered.
    const bool administrator;
    ServiceTable *table = nullptr;
    QVBoxLayout *central_layout = nullptr;
    QToolBar *tool_bar = nullptr;
    AdminStatusBar *status = nullptr;
    ServiceControl *service_control = nullptr;

    QAction *apply_all = nullptr;
    QAction *undo_all = nullptr;
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

    QSignalMapper *state_mapper = nullptr;
    QSignalMapper *level_mapper = nullptr;
};
