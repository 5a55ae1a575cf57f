#include "app/admin_runlevel.h"
#include "app/administrator_bar.h"
#include "app/find_service_dialog.h"
#include "app/resource.h"
#include "catalogue/administrator_rights.h"
#include "catalogue/test_hooks.h"
#include "dependencies/dependencies_dialog.h"
#include "tests/support/fixture.h"

#include <vorn_help_menu.h>
#include <vornintegration.h>

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir settings;
    std::unique_ptr<TestRoot> root;
    std::unique_ptr<AdminRunlevel> window;

    ServiceTable *table() const { return window->findChild<ServiceTable *>(); }
    TableCells cells() const { return TableCells(*table()); }

    QAction *action(const QString &text) const
    {
        for (QAction *candidate : window->findChildren<QAction *>()) {
            if (candidate->text() == text)
                return candidate;
        }
        return nullptr;
    }

    // Cells as "service:column", the column a runlevel, "name" or "start".
    void select(const QStringList &selected)
    {
        table()->clearSelection();
        for (const QString &cell : selected) {
            const QString name = cell.section(':', 0, 0), where = cell.section(':', 1);
            const int column = where == "name" ? 0 : where == "start" ? 1 : TestTable::column_of(where);
            table()->setCurrentItem(cells().cell(name, column), QItemSelectionModel::Select);
        }
    }

    // The texts the status bar shows, left to right.
    QString status() const
    {
        QStringList texts;
        for (const QWidget *shown : window->statusBar()->findChildren<QWidget *>()) {
            if (shown->isVisible() && !shown->property("text").toString().isEmpty())
                texts << shown->property("text").toString();
        }
        return texts.join(" | ");
    }

    // Triggers the action and lets the window replace its table, if it does.
    bool replaces_table(const QString &text)
    {
        const QPointer<ServiceTable> before = table();
        action(text)->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return before.isNull();
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        QCoreApplication::setOrganizationName("vorn-test");
        // Icons are looked up once, by the first window: a theme with two of them.
        QIcon::setThemeSearchPaths({QFINDTESTDATA("icons")});
        QIcon::setThemeName("test-theme");
    }

    // cron (requiring ssh) and ssh start in 2 and 3, mount in S; idle is listed but has no links.
    // A first window opens at the top left, half the desktop wide and high for a narrow table.
    void init()
    {
        QSettings().clear();
        root = std::make_unique<TestRoot>();
        root->add_script("cron", {"Provides: cron", "Required-Start: ssh"});
        for (const QString name : {"ssh", "mount", "idle"})
            root->add_script(name, {"Provides: " + name});
        root->add_links("2", "S20cron");
        root->add_links("2", "S10ssh");
        root->add_links("S", "S03mount");
        root->set_listing({"S:20:2 3:cron", "K:01:0:cron", "S:10:2 3:ssh", "S:03:S:mount", "S:30:2:idle"});
        window = std::make_unique<AdminRunlevel>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
        QCOMPARE(QRect(window->frameGeometry().topLeft(), window->size()),
                 QRect(0, 0, desktop.width() / 2, desktop.height() / 2));
    }

    void cleanup() { window.reset(); }

    // The flags stand for Enable, Disable, Start, Ignore and Stop on level, Toggle, Reset, Edit.
    void selections_enable_actions_data()
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

    // Editing a service highlights what it requires (ssh).
    void selections_enable_actions()
    {
        QFETCH(QStringList, cells);
        QFETCH(bool, pending);
        QFETCH(QString, enabled);
        if (pending)
            table()->toggle_item(this->cells().level_cell("idle", "3"));
        select(cells);
        QString actual;
        for (const char *text : {"&Enable service", "&Disable service", "&Start on level", "&Ignore on level",
                                 "&Stop on level", "&Toggle cell", "&Reset to defaults", "&Edit"})
            actual += action(text)->isEnabled() ? (enabled.at(actual.size()) == '.' ? '?' : enabled.at(actual.size())) : '.';
        QCOMPARE(actual, enabled);
        QCOMPARE(action("&Apply all changes")->isEnabled(), pending);
        const QColor colour = this->cells().cell("ssh", 0)->data(Qt::ForegroundRole).value<QBrush>().color();
        QTEST(colour.hslHue() == QColor(250, 127, 80).hslHue(), "highlighted");
    }

    // Ctrl+S and Ctrl+K reach whichever of their two actions is enabled; only the window takes Space.
    void keys_reach_the_enabled_action()
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const QList<QPair<QString, QKeySequence>> steps{
            {"cron:S", Qt::CTRL | Qt::Key_S}, {"ssh:name", Qt::CTRL | Qt::Key_K}, {"mount:2", Qt::Key_Space}};
        for (const auto &step : steps) {
            select({step.first});
            QTest::keySequence(window.get(), step.second);
        }
        QCOMPARE(cells().summary("cron").section('|', 1, 1), QStringLiteral("S-SS---K"));
        QCOMPARE(cells().cell("ssh", 1)->text(), QStringLiteral("off"));
        QCOMPARE(cells().summary("mount").section('|', 1, 1), QStringLiteral("S-S-----"));
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        QCOMPARE(action("&Toggle cell")->associatedObjects(), QList<QObject *>{window.get()});
#else
        QCOMPARE(action("&Toggle cell")->associatedWidgets(), QList<QWidget *>{window.get()});
#endif
    }

    void confirmations_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("apply, yes") << "&Apply all changes" << true << QStringList{"--remove cron"};
        QTest::newRow("apply, no") << "&Apply all changes" << false << QStringList();
        QTest::newRow("undo, yes") << "&Undo all changes" << true << QStringList();
        QTest::newRow("undo, no") << "&Undo all changes" << false << QStringList();
        QTest::newRow("reset, yes") << "&Reset to defaults" << true
                                    << QStringList{"--dryrun cron", "--remove --force cron", "cron"};
        QTest::newRow("reset, no") << "&Reset to defaults" << false << QStringList();
    }

    // cron, disabled but for a reset: confirmed, the operation runs and a fresh table replaces the old.
    void confirmations()
    {
        QFETCH(QString, action);
        QFETCH(bool, yes);
        const bool reset = action == "&Reset to defaults";
        select({"cron:name"});
        if (!reset)
            table()->switch_services_state(false);
        root->clear_calls();
        ModalWatcher watcher;
        watcher.expect_message(yes ? QMessageBox::Yes : QMessageBox::No);
        if (yes && action != "&Undo all changes")
            watcher.expect_message(QMessageBox::Ok);
        QCOMPARE(replaces_table(action), yes);
        QCOMPARE(this->action("&Apply all changes")->isEnabled(), !yes && !reset);
        QCOMPARE(watcher.pending() + watcher.unexpected.size(), 0);
        QTEST(root->calls().filter(QRegularExpression("^(?!-s$)")), "calls");
    }

    void closing_asks_about_pending_changes_data()
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

    // A closed window's geometry comes back in the next.
    void closing_asks_about_pending_changes()
    {
        QFETCH(bool, pending);
        QFETCH(QList<int>, answers);
        if (pending)
            table()->toggle_item(cells().cell("idle", 1));
        root->clear_calls();
        const QRect moved(30, 40, 500, 300);
        window->setGeometry(moved);
        ModalWatcher watcher;
        for (int answer : answers)
            watcher.expect_message(QMessageBox::StandardButton(answer));
        QTEST(window->close(), "closed");
        QCOMPARE(watcher.pending(), 0);
        QCOMPARE(watcher.texts.mid(0, 1), pending ? QStringList{"Apply changes before exit?"} : QStringList());
        QTEST(root->calls().contains("idle"), "applied");
        QTEST(AdminRunlevel().geometry() == moved, "closed");
    }

    void without_administrator_rights_nothing_writes()
    {
        QVERIFY(!window->findChild<AdministratorBar *>());
        root->clear_calls();
        test_hooks::assume_administrator_rights(false);
        window = std::make_unique<AdminRunlevel>();
        QVERIFY(window->findChild<AdministratorBar *>()->isVisibleTo(window.get()));
        QCOMPARE(root->calls(true), QStringList());
        table()->toggle_item(cells().level_cell("idle", "3"));
        select({"cron:name"});
        for (QAction *writing : {action("&Apply all changes"), action("&Reset to defaults")})
            QVERIFY(!writing->isEnabled() && writing->toolTip().contains("administrator rights"));
        DependenciesDialog dialog(table(), "cron");
        dialog.changed();
        QPushButton *apply = dialog.findChildren<QPushButton *>().first();
        QVERIFY(!apply->isEnabled() && apply->toolTip().contains("administrator rights"));
        QVERIFY(window->close());
        QCOMPARE(root->calls().filter(QRegularExpression("^(?!-s$)")), QStringList());
    }

    // On a desktop 1920 wide: half of it for a narrow table, all of a table up to nine tenths of it. The
    // installed program has a polkit action that keeps the display; any other copy takes it along. The
    // help menu opens both about boxes, with the name and version the program sets.
    void window_size_restart_and_help()
    {
        const auto width = [](int table) { return AdminRunlevel::first_window_width(1920, table); };
        QCOMPARE(QList<int>({width(700), width(1728), width(1729)}), QList<int>({960, 1728, 960}));
        const QString installed = "/usr/sbin/vorn-admin-runlevel", env = "pkexec /usr/bin/env DISPLAY=:1 XAUTHORITY=";
        QProcessEnvironment environment;
        environment.insert("DISPLAY", ":1");
        environment.insert("HOME", "/home/ann");
        QCOMPARE(administrator_restart_command(installed, installed, environment), QStringList({"pkexec", installed}));
        QCOMPARE(administrator_restart_command("/b/vorn", installed, environment).join(' '),
                 env + "/home/ann/.Xauthority /b/vorn");
        environment.insert("XAUTHORITY", "/x");
        QCOMPARE(administrator_restart_command("/b/vorn", installed, environment).join(' '), env + "/x /b/vorn");

        vornInit("1.3.1", "Vorn Runlevels");
        QCOMPARE(QCoreApplication::organizationName() + ' ' + QGuiApplication::applicationDisplayName(),
                 "Vorn Vorn Runlevels");
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Ok);
        watcher.expect_message(QMessageBox::Ok);
        VornHelpMenu menu(nullptr);
        for (QAction *about : menu.actions())
            about->trigger();
        QCOMPARE(watcher.titles, QStringList({"About Vorn Runlevels", "About Qt"}));
        QVERIFY(watcher.texts[0].contains("Vorn Runlevels") && watcher.texts[0].contains("1.3.1"));
        QCoreApplication::setOrganizationName("vorn-test");
    }

    // The status bar names the filter of a header click (started services, in boot order, then stopped
    // ones; ignored and disabled rows hidden, the selection cleared) and counts the pending changes; a reload keeps
    // the service in view; disabling a service of runlevel S is named in the question; a dependency
    // edit reloads the table, or marks it stale when the user keeps pending changes.
    void status_bar_reload_and_guard()
    {
        QHeaderView *header = table()->horizontalHeader();
        const QPoint runlevel_2(header->sectionViewportPosition(TestTable::column_of("2")) + 5, 5);
        select({"cron:name"});
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, runlevel_2);
        QCOMPARE(status(), "No pending changes | Runlevel 2: services started, in boot order | Show all services");
        QCOMPARE(cells().visible_names(), QStringList({"ssh", "cron"}));
        QVERIFY(table()->selectedItems().isEmpty() && !action("&Edit")->isEnabled());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, runlevel_2);
        QCOMPARE(status(), "No pending changes | Runlevel 2: services stopped, in shutdown order: none | Show all services");
        window->statusBar()->findChild<QPushButton *>()->click();
        QCOMPARE(cells().visible_names().size(), 4);

        table()->toggle_item(cells().level_cell("idle", "3"));
        table()->setCurrentItem(cells().level_cell("ssh", "3"));
        QCOMPARE(status(), "Pending changes: 1");
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Yes);
        QVERIFY(replaces_table("&Reload"));
        QCOMPARE(table()->currentItem(), cells().level_cell("ssh", "3"));
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
        QVERIFY(replaces_table("&Undo all changes"));
        const QPointer<ServiceTable> before = table();
        emit table()->need_restart();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(before.isNull());
        QCOMPARE(watcher.pending() + watcher.unexpected.size(), 0);
    }

    // The theme's icon where it has one, the program's own of the same name for every other.
    void icons_are_looked_up_by_logical_name()
    {
        const auto image = [](const QIcon &icon) {
            return icon.pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
        };
        const Resource &icons = Resource::instance();
        QCOMPARE(image(icons.icon("service start")),
                 image(QIcon(QFINDTESTDATA("icons/test-theme/16x16/actions/dialog-ok-apply.png"))));
        QCOMPARE(image(icons.icon("edit service")), image(QIcon(":/icons/configure.svg")));
        for (const char *name : {"service start", "service stop", "service ignore", "apply all", "find service",
                                 "undo changes", "edit service", "reset service", "toggle", "service enable",
                                 "service disable", "vorn-runlevel", "exit"})
            QVERIFY2(!image(icons.icon(name)).isNull(), name);
        QVERIFY(icons.icon("Service Start").isNull());
    }

    // Matches, by part of a name or of a provided name ignoring case, follow the rows as sorted;
    // the button says "Next" until the last. Hidden rows are not searched; filtering hides
    // the rows that do not match until the dialog shows them again.
    void find_steps_through_matches()
    {
        TestRoot root;
        for (const QString line : {"cron", "anacron", "ssh", "crony-time timeserver"})
            root.add_script(line.section(' ', 0, 0), {"Provides: " + line});
        root.set_listing({"S:01:2:cron", "S:02:2:anacron", "S:03:2:ssh", "S:04:2:crony-time"});
        root.write_file("etc/insserv.conf", "$portmap timeserver\n");
        TestTable table;
        QVERIFY(table.load());
        FindServiceDialog dialog(&table);
        auto *edit = dialog.findChild<QLineEdit *>();
        QPushButton *button = dialog.findChildren<QPushButton *>().first();
        QVERIFY(!button->isEnabled());
        QStringList found;
        const auto press = [&](const QString &text, int times) {
            edit->setText(text);
            for (int press = 0; press < times; ++press) {
                button->click();
                found << table.currentItem()->data(ServiceTable::ServiceNameRole).toString() + '/' + button->text();
            }
        };
        press("CRO", 4);
        press("CRON", 1);
        press("SERVER", 1);
        press("$portmap", 1);
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Ok);
        press("nothing-like-this", 1);
        QCOMPARE(found, QStringList({"anacron/Next", "cron/Next", "crony-time/Find", "anacron/Next", "anacron/Next",
                                     "crony-time/Find", "crony-time/Find", "crony-time/Find"}));
        QCOMPARE(watcher.titles + watcher.texts, QStringList({"Find service", "Service not found."}));

        table.hideRow(table.row_of("ssh"));
        QVERIFY(dialog.find_items("ssh").isEmpty());
        table.showRow(table.row_of("ssh"));
        dialog.filter_items("cron");
        QCOMPARE(table.visible_names(), QStringList({"anacron", "cron", "crony-time"}));
        dialog.show_hidden_rows();
        QCOMPARE(table.visible_names().size(), 4);
        edit->clear();
        QVERIFY(!button->isEnabled());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
