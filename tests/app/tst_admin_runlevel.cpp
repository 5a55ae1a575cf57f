#include "app/admin_runlevel.h"
#include "catalogue/test_hooks.h"
#include "table/service_table.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"

#include <QAction>
#include <QApplication>
#include <QDesktopWidget>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <QToolBar>

namespace {

const QStringList selection_actions{"&Enable service", "&Disable service", "&Start on level", "&Ignore on level",
                                    "&Stop on level", "&Toggle cell", "&Reset to defaults", "&Edit"};

int column_of(const QString &runlevel)
{
    return runlevel == QLatin1String("S") ? 2 : runlevel == QLatin1String("0") ? 9 : runlevel.toInt() + 2;
}

} // namespace

class TestAdminRunlevel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void menus_and_tool_bar_hold_the_actions();
    void selections_enable_actions_data();
    void selections_enable_actions();
    void shared_shortcuts_reach_the_enabled_action();
    void confirmations_data();
    void confirmations();
    void closing_asks_about_pending_changes_data();
    void closing_asks_about_pending_changes();
    void geometry_is_restored();

private:
    ServiceTable *table() const { return window->findChild<ServiceTable *>(); }
    QAction *action(const QString &text) const;
    QTableWidgetItem *cell(const QString &name, int column) const;
    void select(const QList<QTableWidgetItem *> &items);
    void make_pending_change();

    QTemporaryDir settings_dir;
    std::unique_ptr<TestRoot> root;
    std::unique_ptr<AdminRunlevel> window;
};

void TestAdminRunlevel::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_dir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("vorn-test"));
}

void TestAdminRunlevel::init()
{
    QSettings().clear();
    root = std::make_unique<TestRoot>();
    root->add_script(QStringLiteral("cron"), {QStringLiteral("Provides: cron"), QStringLiteral("Required-Start: ssh")});
    for (const char *name : {"ssh", "mount", "idle"})
        root->add_script(QLatin1String(name), {QStringLiteral("Provides: ") + QLatin1String(name)});
    root->add_link(QStringLiteral("2"), QStringLiteral("S20cron"));
    root->add_link(QStringLiteral("2"), QStringLiteral("S10ssh"));
    root->add_link(QStringLiteral("S"), QStringLiteral("S03mount"));
    root->insserv().set_listing({"S:20:2 3 4 5:cron", "K:01:0 1 6:cron", "S:10:2 3 4 5:ssh", "S:03:S:mount",
                                 "S:30:2:idle"});
    window = std::make_unique<AdminRunlevel>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestAdminRunlevel::cleanup()
{
    window.reset();
    root.reset();
}

QAction *TestAdminRunlevel::action(const QString &text) const
{
    for (QAction *candidate : window->findChildren<QAction *>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

QTableWidgetItem *TestAdminRunlevel::cell(const QString &name, int column) const
{
    for (int row = 0; row < table()->rowCount(); ++row) {
        if (table()->item(row, 0)->data(ServiceTable::ServiceNameRole).toString() == name)
            return table()->item(row, column);
    }
    return nullptr;
}

void TestAdminRunlevel::select(const QList<QTableWidgetItem *> &items)
{
    table()->clearSelection();
    table()->setCurrentItem(items.first());
    for (QTableWidgetItem *item : items)
        item->setSelected(true);
}

void TestAdminRunlevel::make_pending_change()
{
    table()->toggle_item(cell(QStringLiteral("idle"), column_of("3")));
    QVERIFY(action(QStringLiteral("&Apply all changes"))->isEnabled());
}

void TestAdminRunlevel::menus_and_tool_bar_hold_the_actions()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("Vorn Runlevels"));
    QStringList menus;
    for (QAction *menu : window->menuBar()->actions())
        menus.append(menu->text());
    QCOMPARE(menus.mid(0, 2), QStringList({"&File", "&Service"}));
    QCOMPARE(menus.size(), 3);

    QStringList bar;
    for (QAction *item : window->findChild<QToolBar *>()->actions())
        bar.append(item->isSeparator() ? QStringLiteral("|") : item->text());
    QCOMPARE(bar, QStringList({"&Apply all changes", "&Undo all changes", "|", "&Enable service",
                               "&Disable service", "|", "&Ignore on level", "&Start on level", "&Stop on level",
                               "|", "&Find", "&Reset to defaults", "&Edit"}));
    QVERIFY(!window->findChild<QToolBar *>()->isMovable());

    QCOMPARE(action("&Exit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(action("&Toggle cell")->shortcut(), QKeySequence(Qt::Key_Space));
    QVERIFY(action("&Toggle cell")->associatedWidgets().contains(window.get()));
    QCOMPARE(action("&Toggle cell")->associatedWidgets().size(), 1);
    QVERIFY(!action("&Apply all changes")->isEnabled());
}

void TestAdminRunlevel::selections_enable_actions_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<bool>("highlighted");
    // Flags in the order of selection_actions.
    QTest::newRow("runlevel S cell") << "mount:S" << false << "..II.I.." << false;
    QTest::newRow("name cell") << "cron:name" << false << "EE...IRE" << true;
    QTest::newRow("name cell, pending") << "cron:name" << true << "EE...I.E" << true;
    QTest::newRow("two name cells") << "cron:name ssh:name" << false << "EE....R." << false;
    QTest::newRow("state cell") << "cron:start" << false << "EE...I.." << false;
    QTest::newRow("nothing") << "" << false << "........" << false;
}

void TestAdminRunlevel::selections_enable_actions()
{
    QFETCH(QString, selection);
    QFETCH(bool, pending);
    QFETCH(QString, enabled);
    QFETCH(bool, highlighted);
    if (pending)
        make_pending_change();

    QList<QTableWidgetItem *> items;
    for (const QString &part : selection.split(' ', Qt::SkipEmptyParts)) {
        const QString name = part.section(':', 0, 0), where = part.section(':', 1);
        const int column = where == "name" ? 0 : where == "start" ? 1 : column_of(where);
        items.append(cell(name, column));
    }
    table()->setCurrentItem(cell("idle", 0));
    table()->clearSelection();
    if (!items.isEmpty())
        select(items);

    QString actual;
    for (int i = 0; i < selection_actions.size(); ++i)
        actual += action(selection_actions.at(i))->isEnabled() ? enabled.at(i) == '.' ? '?' : enabled.at(i) : '.';
    QCOMPARE(actual, enabled);
    QCOMPARE(action("&Apply all changes")->isEnabled(), pending);
    const QBrush brush = cell("ssh", 0)->data(Qt::ForegroundRole).value<QBrush>();
    QCOMPARE(brush.color() == QColor(250, 127, 80), highlighted);
}

void TestAdminRunlevel::shared_shortcuts_reach_the_enabled_action()
{
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));

    select({cell("cron", column_of("S"))});
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(cell("cron", column_of("S"))->data(ServiceTable::MarkRole).toString(), QStringLiteral("S"));
    QCOMPARE(cell("cron", 1)->text(), QStringLiteral("20"));

    select({cell("ssh", 0)});
    QTest::keyClick(window.get(), Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(cell("ssh", 1)->text(), QStringLiteral("off"));

    select({cell("mount", column_of("2"))});
    QTest::keyClick(window.get(), Qt::Key_Space);
    QCOMPARE(cell("mount", column_of("2"))->data(ServiceTable::MarkRole).toString(), QStringLiteral("S"));
}

void TestAdminRunlevel::confirmations_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("apply, yes") << "&Apply all changes" << true << QStringList{"--remove cron"};
    QTest::newRow("apply, no") << "&Apply all changes" << false << QStringList();
    QTest::newRow("undo, yes") << "&Undo all changes" << true << QStringList();
    QTest::newRow("undo, no") << "&Undo all changes" << false << QStringList();
    QTest::newRow("reset, yes") << "&Reset to defaults" << true << QStringList{"--remove --force cron", "cron"};
    QTest::newRow("reset, no") << "&Reset to defaults" << false << QStringList();
}

void TestAdminRunlevel::confirmations()
{
    QFETCH(QString, action);
    QFETCH(bool, yes);
    QFETCH(QStringList, calls);
    const bool reset = action == QLatin1String("&Reset to defaults");
    table()->setCurrentItem(cell("cron", 0));
    if (!reset)
        table()->switch_services_state(false);
    root->insserv().clear_calls();
    QPointer<ServiceTable> before = table();

    ModalWatcher watcher;
    watcher.expect_message(yes ? QMessageBox::Yes : QMessageBox::No);
    if (yes && action != QLatin1String("&Undo all changes"))
        watcher.expect_message(QMessageBox::Ok);
    this->action(action)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(before.isNull(), yes);
    QCOMPARE(this->action("&Apply all changes")->isEnabled(), !yes && !reset);
    QVERIFY(watcher.unexpected.isEmpty());
    QCOMPARE(watcher.pending(), 0);
    QStringList made = root->insserv().calls();
    made.removeAll(QStringLiteral("-s"));
    QCOMPARE(made, calls);
}

void TestAdminRunlevel::closing_asks_about_pending_changes_data()
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

void TestAdminRunlevel::closing_asks_about_pending_changes()
{
    QFETCH(bool, pending);
    QFETCH(QList<int>, answers);
    QFETCH(bool, closed);
    QFETCH(bool, applied);
    if (pending)
        make_pending_change();
    root->insserv().clear_calls();
    const QRect moved(30, 40, 500, 300);
    window->setGeometry(moved);

    ModalWatcher watcher;
    for (int answer : answers)
        watcher.expect_message(QMessageBox::StandardButton(answer));
    QCOMPARE(window->close(), closed);
    QCOMPARE(watcher.pending(), 0);
    if (pending)
        QCOMPARE(watcher.texts.first(), QStringLiteral("Apply changes before exit?"));
    QCOMPARE(root->insserv().calls().contains(QStringLiteral("--remove --force idle")), applied);

    AdminRunlevel next;
    QCOMPARE(next.geometry() == moved, closed);
}

void TestAdminRunlevel::geometry_is_restored()
{
    const QRect desktop = QApplication::desktop()->geometry();
    QCOMPARE(window->frameGeometry().topLeft(), QPoint(0, 0));
    QCOMPARE(window->size(), QSize(desktop.width() / 2, desktop.height() / 2));
    QPointer<ServiceTable> first = table();
    action("&Undo all changes")->setEnabled(true);
    ModalWatcher watcher;
    watcher.expect_message(QMessageBox::Yes);
    action("&Undo all changes")->trigger();
    QTRY_VERIFY(first.isNull());
    QCOMPARE(window->findChildren<ServiceTable *>().size(), 1);
    QVERIFY(!action("&Undo all changes")->isEnabled());
}

QTEST_MAIN(TestAdminRunlevel)
#include "tst_admin_runlevel.moc"
