#include "app/admin_runlevel.h"

#include "app/admin_status_bar.h"
#include "app/administrator_bar.h"
#include "app/find_service_dialog.h"
#include "app/notice_bar.h"
#include "app/resource.h"
#include "app/service_control.h"
#include "apply/details_box.h"
#include "apply/plan_text.h"
#include "catalogue/administrator_rights.h"
#include "dependencies/boot_order_window.h"
#include <vorn_help_menu.h>
#include <vornintegration.h>
#include "table/service_table.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSignalMapper>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Enough to see a good part of the boot order at once.
const int first_window_rows = 20;

} // namespace

AdminRunlevel::AdminRunlevel()
    : administrator(has_administrator_rights())
{
    auto *central = new QWidget;
    central_layout = new QVBoxLayout(central);
    setCentralWidget(central);
    if (!administrator) {
        administrator_bar = new AdministratorBar;
        central_layout->addWidget(administrator_bar);
        connect(administrator_bar, &AdministratorBar::restart_requested, this,
                &AdminRunlevel::restart_as_administrator);
    }
    notice_bar = new NoticeBar;
    central_layout->addWidget(notice_bar);
    connect(notice_bar, &NoticeBar::edit_requested, this,
            [this](const QString &service) { table->edit_later(service); });

    service_control = new ServiceControl(this, administrator);
    build_actions();
    build_menus();
    build_mappers();
    build_tool_bar();
    status = new AdminStatusBar(this);
    setStatusBar(status);
    service_control->show_in(status);
    connect(status, &AdminStatusBar::show_all_requested, this, [this] {
        table->show_all_rows();
        show_table_state();
    });
    rebuild_table();

    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    const QSize wanted(table_width(), window_height(std::min(table->rowCount(), first_window_rows)));
    const QRect first(QPoint(0, 0), first_window_size(desktop.size(), wanted));
    QSettings settings;
    vornRestoreGeometry(this, &settings, first, false);
    setWindowTitle(tr("Vorn Runlevels"));
}

AdminRunlevel::~AdminRunlevel() = default;

QSize AdminRunlevel::first_window_size(const QSize &desktop, const QSize &wanted)
{
    const auto fitted = [](int desktop_length, int wanted_length) {
        return std::clamp(wanted_length, desktop_length / 2, desktop_length * 9 / 10);
    };
    return QSize(fitted(desktop.width(), wanted.width()), fitted(desktop.height(), wanted.height()));
}

// The window's own bars and the table's header around the rows; a horizontal
// scroll bar is counted in case the width does not fit.
int AdminRunlevel::window_height(int rows) const
{
    const int around_table = sizeHint().height() - table->sizeHint().height();
    return around_table + table->horizontalHeader()->sizeHint().height() + 2 * table->frameWidth()
        + rows * table->verticalHeader()->defaultSectionSize() + table->horizontalScrollBar()->sizeHint().height();
}

// The table's own width for the name column may cut names short or wrap them; a
// first window has room for whole names on one line.
int AdminRunlevel::table_width() const
{
    // The style's margins around a cell's text, and a character to spare for the grid line.
    const int text_margin = 2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1)
        + table->fontMetrics().averageCharWidth();
    int names = table->sizeHintForColumn(0);
    for (int row = 0; row < table->rowCount(); ++row)
        names = std::max(names, table->fontMetrics().horizontalAdvance(table->item(row, 0)->text()) + text_margin);
    int width = names + 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    for (int column = 1; column < table->columnCount(); ++column)
        width += table->sizeHintForColumn(column);
    const QMargins margins = central_layout->contentsMargins();
    return width + margins.left() + margins.right();
}

QAction *AdminRunlevel::make_action(const char *icon, const QString &text)
{
    return new QAction(Resource::instance().icon(QLatin1String(icon)), text, this);
}

QAction *AdminRunlevel::make_action(const char *icon, const QString &text, const QString &shortcut)
{
    QAction *action = make_action(icon, text);
    action->setShortcut(QKeySequence(shortcut, QKeySequence::NativeText));
    return action;
}

void AdminRunlevel::build_actions()
{
    apply_all = make_action("apply all", tr("&Apply all changes"), tr("CTRL+RETURN"));
    undo_all = make_action("undo changes", tr("&Undo all changes"));
    undo_all->setShortcuts(QKeySequence::Undo);
    undo_last = make_action("undo apply", tr("Undo &last apply"));
    reload_table = make_action("reload", tr("&Reload"), tr("F5"));
    exit = make_action("exit", tr("&Exit"), tr("CTRL+Q"));
    // Each key does one thing: Shift makes the marks of a level those of the whole service.
    enable = make_action("service enable", tr("&Enable service"), tr("CTRL+SHIFT+S"));
    disable = make_action("service disable", tr("&Disable service"), tr("CTRL+SHIFT+K"));
    start_on_level = make_action("service start", tr("&Start on level"), tr("CTRL+S"));
    stop_on_level = make_action("service stop", tr("&Stop on level"), tr("CTRL+K"));
    ignore_on_level = make_action("service ignore", tr("&Ignore on level"), tr("CTRL+I"));
    toggle = make_action("toggle", tr("&Toggle cell"));
    toggle->setShortcut(QKeySequence(Qt::Key_Space));
    edit = make_action("edit service", tr("&Edit"), tr("CTRL+E"));
    find = make_action("find service", tr("&Find"));
    find->setShortcuts(QKeySequence::Find);
    reset = make_action("reset service", tr("&Reset to defaults"), tr("CTRL+R"));
    boot_order = make_action("boot order", tr("&Boot order"), tr("CTRL+B"));
    boot_order->setToolTip(tr("The boot of a runlevel as a picture: what starts when, and what waits for what"));
    // Toggling is reached by its key only: no menu entry, no button.
    addAction(toggle);
    if (!administrator) {
        apply_all->setToolTip(tr("Applying changes needs administrator rights"));
        reset->setToolTip(tr("Resetting services needs administrator rights"));
        undo_last->setToolTip(tr("Undoing an apply needs administrator rights"));
    }

    connect(apply_all, &QAction::triggered, this, &AdminRunlevel::apply_changes);
    connect(undo_all, &QAction::triggered, this, &AdminRunlevel::undo_changes);
    connect(undo_last, &QAction::triggered, this, &AdminRunlevel::undo_last_apply);
    connect(reload_table, &QAction::triggered, this, &AdminRunlevel::reload);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(toggle, &QAction::triggered, this, &AdminRunlevel::toggle_item);
    connect(edit, &QAction::triggered, this, &AdminRunlevel::edit_service);
    connect(find, &QAction::triggered, this, &AdminRunlevel::find_service);
    connect(reset, &QAction::triggered, this, &AdminRunlevel::reset_service_defaults);
    connect(boot_order, &QAction::triggered, this, &AdminRunlevel::show_boot_order);
}

void AdminRunlevel::build_menus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addActions({apply_all, undo_all, undo_last, reload_table, exit});

    QMenu *service = menuBar()->addMenu(tr("&Service"));
    auto *state = new QMenu(tr("&State"), service);
    state->addActions({enable, disable});
    auto *action = new QMenu(tr("&Action"), service);
    action->addActions({start_on_level, stop_on_level, ignore_on_level});
    service->addMenu(state);
    service->addMenu(action);
    service->addActions({edit, find, reset, boot_order});
    service->addSeparator();
    service->addActions(service_control->actions());

    menuBar()->addMenu(new VornHelpMenu(this));
}

void AdminRunlevel::build_mappers()
{
    state_mapper = new QSignalMapper(this);
    state_mapper->setMapping(enable, 1);
    state_mapper->setMapping(disable, 0);
    for (QAction *action : {enable, disable})
        connect(action, &QAction::triggered, state_mapper, qOverload<>(&QSignalMapper::map));
    connect(state_mapper, &QSignalMapper::mappedInt, this, &AdminRunlevel::switch_services_state);

    level_mapper = new QSignalMapper(this);
    level_mapper->setMapping(start_on_level, QStringLiteral("S"));
    level_mapper->setMapping(stop_on_level, QStringLiteral("K"));
    level_mapper->setMapping(ignore_on_level, QStringLiteral(""));
    for (QAction *action : {start_on_level, stop_on_level, ignore_on_level})
        connect(action, &QAction::triggered, level_mapper, qOverload<>(&QSignalMapper::map));
    connect(level_mapper, &QSignalMapper::mappedString, this, &AdminRunlevel::switch_services_runlevels);
}

void AdminRunlevel::build_tool_bar()
{
    tool_bar = new QToolBar(this);
    tool_bar->setFloatable(false);
    tool_bar->setMovable(false);
    tool_bar->addActions({apply_all, undo_all});
    tool_bar->addSeparator();
    tool_bar->addActions({enable, disable});
    tool_bar->addSeparator();
    tool_bar->addActions({ignore_on_level, start_on_level, stop_on_level});
    tool_bar->addSeparator();
    tool_bar->addActions({find, reset, edit});
    tool_bar->addSeparator();
    tool_bar->addAction(boot_order);
    addToolBar(tool_bar);
}

// The old table goes later, not at once: this may run inside one of its own
// signals (a dependency edit asking for a restart), with its code still on the
// stack. The service the user was on stays current in the new table.
void AdminRunlevel::rebuild_table()
{
    QString current_service;
    int current_column = 0;
    if (table) {
        if (const QTableWidgetItem *current = table->currentItem()) {
            current_service = current->data(ServiceTable::ServiceNameRole).toString();
            current_column = current->column();
        }
        table->disconnect(this);
        central_layout->removeWidget(table);
        table->hide();
        table->deleteLater();
    }
    table = new ServiceTable;
    apply_all->setEnabled(false);
    undo_all->setEnabled(false);
    connect(table, &ServiceTable::table_changed, this, &AdminRunlevel::enable_apply_action);
    connect(table, &ServiceTable::table_changed, this, &AdminRunlevel::show_table_state);
    connect(table, &ServiceTable::need_restart, this, &AdminRunlevel::dependencies_written);
    connect(table, &ServiceTable::selection_changed, this, &AdminRunlevel::selection_changed);
    connect(table, &ServiceTable::configuration_changed, this, &AdminRunlevel::configuration_changed);
    central_layout->addWidget(table);
    table->load();
    service_control->attach(table);
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this, &AdminRunlevel::show_table_state);
    table->select_service(current_service, current_column);
    if (boot_order_window) {
        boot_order_window->show_table(table);
        connect(table, &ServiceTable::table_changed, boot_order_window, &BootOrderWindow::pending_changed);
    }
    status->show_stale(false);
    show_table_state();
    show_notices();
    read_undo_state();
}

void AdminRunlevel::show_notices()
{
    QStringList texts, details;
    for (const TableNotice &notice : table->load_notices()) {
        texts.append(notice.text);
        if (!notice.details.isEmpty())
            details.append(notice.details);
    }
    notice_bar->show_notices(texts, details.join(QStringLiteral("\n\n")), table->services_to_repair());
}

void AdminRunlevel::show_table_state()
{
    status->show_pending(table->pending_changes());
    status->show_filter(table->filter_description());
}

// The details show exactly what will be written and run. Where Yes throws work
// away or stops what the boot needs, Enter must not say it.
bool AdminRunlevel::confirmed(const QString &title, const QString &question, const QString &details,
                              bool yes_by_default)
{
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(yes_by_default ? QMessageBox::Yes : QMessageBox::No);
    set_readable_details(box, details);
    return box.exec() == QMessageBox::Yes;
}

// A reset reloads the table, which would take the pending edits with it.
void AdminRunlevel::enable_apply_action(bool enable_actions)
{
    apply_all->setEnabled(enable_actions && administrator);
    undo_all->setEnabled(enable_actions);
    undo_last->setEnabled(!enable_actions && undoable && administrator);
    if (enable_actions)
        reset->setEnabled(false);
}

void AdminRunlevel::selection_changed(bool any, bool many, bool state, bool level, bool level_s)
{
    if (!any) {
        for (QAction *action : {enable, disable, start_on_level, ignore_on_level, stop_on_level, toggle, reset, edit})
            action->setEnabled(false);
        return;
    }
    enable->setEnabled(!level);
    disable->setEnabled(!level);
    start_on_level->setEnabled(level && !state);
    ignore_on_level->setEnabled(level && !state);
    stop_on_level->setEnabled(level && !state && !level_s);
    toggle->setEnabled(!many);
    reset->setEnabled(!state && !level && !apply_all->isEnabled() && administrator);
    edit->setEnabled(!many && !state && !level);
    table->highlight_services_dependencies(edit->isEnabled());
    status->show_dependencies(table->dependency_summary());
}

// Services the boot cannot do without are named before the question itself.
QString AdminRunlevel::apply_question() const
{
    const QStringList backbone = table->disabled_backbone_services();
    if (backbone.isEmpty())
        return tr("Apply all changes?");
    return tr("These services run in runlevel S or at halt or reboot, and will be disabled: %1.")
               .arg(backbone.join(QStringLiteral(", ")))
        + QStringLiteral("\n\n") + tr("Apply all changes?");
}

void AdminRunlevel::apply_changes()
{
    const bool backbone = !table->disabled_backbone_services().isEmpty();
    const auto confirm = [this, backbone](const QString &notice, const QString &preview) {
        return confirmed(tr("Confirmation"), with_notice(notice, apply_question()), preview, !backbone);
    };
    const ChangeMap edits = table->pending_edits();
    // The services switched as a whole are offered to start or stop now.
    const SwitchedServices switched = switched_services(edits);
    const ServiceTable::PlanResult result =
        table->run_plan(table->changes_plan(), confirm, ServiceTable::tr("Changes are applied"), table);
    if (result == ServiceTable::PlanResult::NotRun)
        return;
    rebuild_table();
    if (result == ServiceTable::PlanResult::Failed)
        keep_unapplied(edits);
    if (result == ServiceTable::PlanResult::Applied)
        service_control->offer_after_apply(switched);
}

void AdminRunlevel::undo_changes()
{
    if (confirmed(tr("Confirmation"), tr("Undo all changes?"), QString(), false))
        rebuild_table();
}

void AdminRunlevel::find_service()
{
    FindServiceDialog dialog(table);
    dialog.exec();
    dialog.show_hidden_rows();
}

void AdminRunlevel::edit_service()
{
    table->edit_service(nullptr);
}

void AdminRunlevel::reset_service_defaults()
{
    const auto confirm = [this](const QString &notice, const QString &preview) {
        return confirmed(tr("Reset to defaults"),
                         with_notice(notice, tr("Set defaults values for the selected services?")), preview, false);
    };
    if (table->run_plan(table->reset_plan(), confirm, ServiceTable::tr("Reset is completed"), nullptr)
        != ServiceTable::PlanResult::NotRun)
        rebuild_table();
}

QString AdminRunlevel::with_notice(const QString &notice, const QString &question)
{
    return notice.isEmpty() ? question : notice + QStringLiteral("\n\n") + question;
}

// Another program changed the boot configuration since the table was read: a
// plan made from the old reading is not run, and the user may read it again,
// the pending edits kept where they still fit.
void AdminRunlevel::configuration_changed(const QStringList &services)
{
    QMessageBox box(QMessageBox::Warning, tr("Changed meanwhile"),
                    tr("The boot configuration of %1 changed since the table was read, and nothing was done. Read the "
                       "system again?").arg(services.join(QStringLiteral(", "))),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() != QMessageBox::Yes)
        return;
    const ChangeMap edits = table->pending_edits();
    rebuild_table();
    show_refused_edits(table->register_edits(edits).refused, tr("Changed meanwhile"));
}

void AdminRunlevel::switch_services_runlevels(QString mark)
{
    table->switch_services_runlevels(mark);
}

void AdminRunlevel::toggle_item()
{
    table->toggle_item(nullptr);
}

void AdminRunlevel::switch_services_state(int enable_services)
{
    table->switch_services_state(enable_services != 0);
}

// Pending changes are told by undo, which stays enabled without administrator rights.
void AdminRunlevel::reload()
{
    if (!undo_all->isEnabled()
        || confirmed(tr("Reload"), tr("Discard the pending changes and read the system again?"), QString(), false))
        rebuild_table();
}

// A dependency edit has written and run: the table is read again, unless that
// would throw pending changes away without asking.
void AdminRunlevel::dependencies_written()
{
    const int pending = table->pending_changes();
    const QString question = pending == 1 ? tr("Reload the table and discard the other pending change?")
                                          : tr("Reload the table and discard %1 other pending changes?").arg(pending);
    if (pending == 0 || confirmed(tr("Confirmation"), question, QString(), false))
        rebuild_table();
    else
        status->show_stale(true);
}

// A window of its own, beside the table: the service chosen in either is
// chosen in the other.
void AdminRunlevel::show_boot_order()
{
    if (!boot_order_window) {
        boot_order_window = new BootOrderWindow(this);
        connect(boot_order_window, &BootOrderWindow::service_selected, this,
                [this](const QString &service) { table->select_service(service, 0); });
        boot_order_window->show_table(table);
        connect(table, &ServiceTable::table_changed, boot_order_window, &BootOrderWindow::pending_changed);
    }
    if (const QTableWidgetItem *current = table->currentItem())
        boot_order_window->select(current->data(ServiceTable::ServiceNameRole).toString());
    boot_order_window->show();
    boot_order_window->raise();
    boot_order_window->activateWindow();
}

void AdminRunlevel::closeEvent(QCloseEvent *event)
{
    if (!may_close()) {
        event->ignore();
        return;
    }
    QSettings settings;
    vornSaveGeometry(this, &settings, false);
}
