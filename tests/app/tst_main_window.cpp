#include "app/admin_runlevel.h"
#include "app/administrator_bar.h"
#include "catalogue/administrator_rights.h"
#include "catalogue/test_hooks.h"
#include "dependencies/dependencies_dialog.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"
#include "tests/support/test_table.h"

#include <QAction>
#include <QApplication>
#include <QDesktopWidget>
#include <QSettings>
#include <QTest>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

namespace {

// The eight actions that follow the selection, in the order of the expected flags.
const QStringList selection_actions{"&Enable service", "&Disable service", "&Start on level", "&Ignore on level",
                                    "&Stop on level", "&Toggle cell", "&Reset to defaults", "&Edit"};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { window.reset(); }
    void first_window_fits_the_table();
    void selections_enable_actions_data();
    void selections_enable_actions();
    void keys_reach_the_enabled_action();
    void confirmations_data();
    void confirmations();
    void closing_asks_about_pending_changes_data();
    void closing_asks_about_pending_changes();
    void without_administrator_rights_nothing_writes();
    void restart_command_keeps_the_display();
    void status_bar_reload_and_guard();

private:
    QString status() const;
    ServiceTable *table() const { return window->findChild<ServiceTable *>(); }
    TableCells table_cells() const { return TableCells(*table()); }
    QAction *action(const QString &text) const;
    void select(const QStringList &cells);

    QTemporaryDir settings;
    std::unique_ptr<TestRoot> root;
    std::unique_ptr<AdminRunlevel> window;
};

void TestMainWindow::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QCoreApplication::setOrganizationName("vorn-test");
}

void TestMainWindow::init()
{
    QSettings().clear();
    root = std::make_unique<TestRoot>();
    root->add_script("cron", {"Provides: cron", "Required-Start: ssh"});
    for (const char *name : {"ssh", "mount", "idle"})
        root->add_script(name, {QStringLiteral("Provides: ") + name});
    for (const char *link : {"S20cron", "S10ssh"})
        root->add_link("2", link);
    root->add_link("S", "S03mount");
    root->insserv().set_listing({"S:20:2 3:cron", "K:01:0:cron", "S:10:2 3:ssh", "S:03:S:mount", "S:30:2:idle"});
    window = std::make_unique<AdminRunlevel>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QRect desktop = QApplication::desktop()->geometry();
    QCOMPARE(window->frameGeometry().topLeft(), QPoint(0, 0));
    QCOMPARE(window->size(), QSize(desktop.width() / 2, desktop.height() / 2));
}

QAction *TestMainWindow::action(const QString &text) const
{
    for (QAction *candidate : window->findChildren<QAction *>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

// Cells as "service:column", the column a runlevel, "name" or "start".
void TestMainWindow::select(const QStringList &cells)
{
    table()->clearSelection();
    for (const QString &cell : cells) {
        const QString name = cell.section(':', 0, 0), where = cell.section(':', 1);
        const int column = where == "name" ? 0 : where == "start" ? 1 : TestTable::column_of(where);
        table()->setCurrentItem(table_cells().cell(name, column), QItemSelectionModel::Select);
    }
}

// On a desktop 1920 wide: half of it for a narrow table, all of a table up to nine tenths of it.
void TestMainWindow::first_window_fits_the_table()
{
    QCOMPARE(AdminRunlevel::first_window_width(1920, 700), 960);
    QCOMPARE(AdminRunlevel::first_window_width(1920, 1728), 1728);
    QCOMPARE(AdminRunlevel::first_window_width(1920, 1729), 960);
}

void TestMainWindow::selections_enable_actions_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<bool>("highlighted");
    QTest::newRow("runlevel S cell") << QStringList{"mount:S"} << false << "..II.I.." << false;
    QTest::newRow("name cell") << QStringList{"cron:name"} << false << "EE...IRE" << true;
    QTest::newRow("name cell, pending") << QStringList{"cron:name"} << true << "EE...I.E" << true;
    QTest::newRow("two name cells") << QStringList{"cron:name", "ssh:name"} << false << "EE....R." << false;
    QTest::newRow("state cell") << QStringList{"cron:start"} << false << "EE...I.." << false;
    // An empty selection leaves the highlighting of the first cell's service as it was.
    QTest::newRow("nothing") << QStringList() << false << "........" << true;
}

void TestMainWindow::selections_enable_actions()
{
    QFETCH(QStringList, cells);
    QFETCH(bool, pending);
    QFETCH(QString, enabled);
    if (pending)
        table()->toggle_item(table_cells().level_cell("idle", "3"));
    select(cells);
    QString actual;
    for (int i = 0; i < selection_actions.size(); ++i)
        actual += action(selection_actions.at(i))->isEnabled() ? (enabled.at(i) == '.' ? '?' : enabled.at(i)) : '.';
    QCOMPARE(actual, enabled);
    QCOMPARE(action("&Apply all changes")->isEnabled(), pending);
    const QColor colour = table_cells().cell("ssh", 0)->data(Qt::ForegroundRole).value<QBrush>().color();
    QTEST(colour.hslHue() == QColor(250, 127, 80).hslHue(), "highlighted");
}

void TestMainWindow::keys_reach_the_enabled_action()
{
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    const QList<QPair<QString, QKeySequence>> steps{{"cron:S", Qt::CTRL | Qt::Key_S}, {"ssh:name", Qt::CTRL | Qt::Key_K},
                                                    {"mount:2", Qt::Key_Space}};
    for (const auto &step : steps) {
        select({step.first});
        QTest::keySequence(window.get(), step.second);
    }
    QCOMPARE(table_cells().summary("cron").section('|', 1, 1), QStringLiteral("S-SS---K"));
    QCOMPARE(table_cells().cell("ssh", 1)->text(), QStringLiteral("off"));
    QCOMPARE(table_cells().summary("mount").section('|', 1, 1), QStringLiteral("S-S-----"));
    QCOMPARE(action("&Toggle cell")->associatedWidgets(), QList<QWidget *>{window.get()});
}

void TestMainWindow::confirmations_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("apply, yes") << "&Apply all changes" << true << QStringList{"--remove cron"};
    QTest::newRow("apply, no") << "&Apply all changes" << false << QStringList();
    QTest::newRow("undo, yes") << "&Undo all changes" << true << QStringList();
    QTest::newRow("undo, no") << "&Undo all changes" << false << QStringList();
    QTest::newRow("reset, yes") << "&Reset to defaults" << true << QStringList{"--dryrun cron", "--remove --force cron", "cron"};
    QTest::newRow("reset, no") << "&Reset to defaults" << false << QStringList();
}

void TestMainWindow::confirmations()
{
    QFETCH(QString, action);
    QFETCH(bool, yes);
    const bool reset = action == "&Reset to defaults";
    select({"cron:name"});
    if (!reset)
        table()->switch_services_state(false);
    root->insserv().clear_calls();
    QPointer<ServiceTable> before = table();
    ModalWatcher watcher;
    watcher.expect_message(yes ? QMessageBox::Yes : QMessageBox::No);
    if (yes && action != "&Undo all changes")
        watcher.expect_message(QMessageBox::Ok);
    this->action(action)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(before.isNull(), yes);
    QCOMPARE(this->action("&Apply all changes")->isEnabled(), !yes && !reset);
    QCOMPARE(watcher.pending() + watcher.unexpected.size(), 0);
    QStringList made = root->insserv().calls();
    made.removeAll("-s");
    QTEST(made, "calls");
}

void TestMainWindow::closing_asks_about_pending_changes_data()
{
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("applied");
    QTest::newRow("nothing pending") << false << QList<int>() << true << false;
    QTest::newRow("cancel") << true << QList<int>{QMessageBox::Cancel} << false << false;
    QTest::newRow("no") << true << QList<int>{QMessageBox::No} << true << false;
    QTest::newRow("yes, then no") << true << QList<int>{QMessageBox::Yes, QMessageBox::No} << true << false;
    QTest::newRow("yes, then yes") << true << QList<int>{QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Ok}
                                   << true << true;
}

void TestMainWindow::closing_asks_about_pending_changes()
{
    QFETCH(bool, pending);
    QFETCH(QList<int>, answers);
    if (pending)
        table()->toggle_item(table_cells().cell("idle", 1));
    root->insserv().clear_calls();
    const QRect moved(30, 40, 500, 300);
    window->setGeometry(moved);
    ModalWatcher watcher;
    for (int answer : answers)
        watcher.expect_message(QMessageBox::StandardButton(answer));
    QTEST(window->close(), "closed");
    QCOMPARE(watcher.pending(), 0);
    QCOMPARE(watcher.texts.mid(0, 1), pending ? QStringList{"Apply changes before exit?"} : QStringList());
    QTEST(root->insserv().calls().contains("idle"), "applied");
    AdminRunlevel next;
    QTEST(next.geometry() == moved, "closed");
}

void TestMainWindow::without_administrator_rights_nothing_writes()
{
    QVERIFY(!window->findChild<AdministratorBar *>());
    root->insserv().clear_calls();
    test_hooks::assume_administrator_rights(false);
    window = std::make_unique<AdminRunlevel>();
    QVERIFY(window->findChild<AdministratorBar *>()->isVisibleTo(window.get()));
    QCOMPARE(root->insserv().preliminary_calls(), QStringList());
    table()->toggle_item(table_cells().level_cell("idle", "3"));
    select({"cron:name"});
    for (QAction *writing : {action("&Apply all changes"), action("&Reset to defaults")})
        QVERIFY(!writing->isEnabled() && writing->toolTip().contains("administrator rights"));
    DependenciesDialog dialog(table(), "cron");
    dialog.changed();
    QPushButton *apply = dialog.findChildren<QPushButton *>().first();
    QVERIFY(!apply->isEnabled() && apply->toolTip().contains("administrator rights"));
    QVERIFY(window->close());
    QCOMPARE(root->insserv().calls().filter(QRegularExpression("^(?!-s$)")), QStringList());
}

void TestMainWindow::restart_command_keeps_the_display()
{
    const QString installed = "/usr/sbin/vorn-admin-runlevel", env = "pkexec /usr/bin/env DISPLAY=:1 XAUTHORITY=";
    QProcessEnvironment environment;
    environment.insert("DISPLAY", ":1");
    environment.insert("HOME", "/home/ann");
    QCOMPARE(administrator_restart_command(installed, installed, environment), QStringList({"pkexec", installed}));
    QCOMPARE(administrator_restart_command("/b/vorn", installed, environment).join(' '),
             env + "/home/ann/.Xauthority /b/vorn");
    environment.insert("XAUTHORITY", "/x");
    QCOMPARE(administrator_restart_command("/b/vorn", installed, environment).join(' '), env + "/x /b/vorn");
}

QString TestMainWindow::status() const
{
    QStringList texts;
    for (const QWidget *shown : window->statusBar()->findChildren<QWidget *>()) {
        if (shown->isVisible() && (qobject_cast<const QLabel *>(shown) || qobject_cast<const QPushButton *>(shown)))
            texts << (qobject_cast<const QLabel *>(shown) ? qobject_cast<const QLabel *>(shown)->text()
                                                           : qobject_cast<const QPushButton *>(shown)->text());
    }
    return texts.join(" | ");
}

// The status bar names the filter of a header click and counts the pending changes; a reload keeps
// the service in view; disabling a service of runlevel S is named in the question; a dependency edit
// reloads the table, or marks it stale when the user keeps pending changes.
void TestMainWindow::status_bar_reload_and_guard()
{
    QHeaderView *header = table()->horizontalHeader();
    const QPoint runlevel_2(header->sectionViewportPosition(TestTable::column_of("2")) + 5, 5);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, runlevel_2);
    QCOMPARE(status(), "No pending changes | Runlevel 2: services started, in boot order | Show all services");
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, runlevel_2);
    QCOMPARE(status(), "No pending changes | Runlevel 2: services stopped, in shutdown order: none | Show all services");
    window->statusBar()->findChild<QPushButton *>()->click();
    QCOMPARE(table_cells().visible_names().size(), 4);

    table()->toggle_item(table_cells().level_cell("idle", "3"));
    table()->setCurrentItem(table_cells().level_cell("ssh", "3"));
    ModalWatcher watcher;
    watcher.expect_message(QMessageBox::Yes);
    QPointer<ServiceTable> before = table();
    action("&Reload")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(before.isNull());
    QCOMPARE(table()->currentItem(), table_cells().level_cell("ssh", "3"));
    QCOMPARE(status(), "No pending changes");

    select({"mount:name"});
    table()->switch_services_state(false);
    watcher.expect_message(QMessageBox::No);
    action("&Apply all changes")->trigger();
    QCOMPARE(watcher.texts.last(), "These services run in runlevel S or at halt or reboot, and will be disabled: "
                                   "mount.\n\nApply all changes?");
    watcher.expect_message(QMessageBox::No);
    emit table()->need_restart();
    QCOMPARE(status(), "Pending changes: 1 | The table no longer matches the system: reload it to see the changes (F5)");
    watcher.expect_message(QMessageBox::Yes);
    action("&Undo all changes")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    before = table();
    emit table()->need_restart();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(before.isNull());
    QCOMPARE(watcher.pending() + watcher.unexpected.size(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
