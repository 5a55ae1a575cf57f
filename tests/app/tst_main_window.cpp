#include "app/admin_runlevel.h"
#include "app/administrator_bar.h"
#include "app/administrator_restart.h"
#include "app/find_service_dialog.h"
#include "app/notice_bar.h"
#include "app/resource.h"
#include "catalogue/administrator_rights.h"
#include "catalogue/boot_configuration.h"
#include "catalogue/test_hooks.h"
#include "dependencies/boot_order_view.h"
#include "dependencies/boot_order_window.h"
#include "dependencies/dependencies_dialog.h"
#include "tests/support/fixture.h"

#include <vorn_help_menu.h>
#include <vornintegration.h>

#include <unistd.h>

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
                texts << QTextDocumentFragment::fromHtml(shown->property("text").toString()).toPlainText();
        }
        return texts.join(" | ");
    }

    // The same services with the real insserv and update-rc.d; cron has an override that starts
    // it in 2 only, idle stays without links.
    void use_real_programs()
    {
        root = std::make_unique<TestRoot>();
        QVERIFY(root->use_real_programs("", {"cron|ssh", "ssh|", "mount||S", "idle|"}));
        QCOMPARE(QProcess::execute(root->path("sbin/insserv"), {"--remove", "idle"}), 0);
        root->add_override("cron", {"Provides: cron", "Required-Start: ssh", "Required-Stop: ssh", "Default-Start: 2",
                                    "Default-Stop: 0 1 6"});
        window = std::make_unique<AdminRunlevel>();
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
    // A first window opens at the top left, between half and nine tenths of the desktop, every row in view.
    void init()
    {
        QSettings().clear();
        root = std::make_unique<TestRoot>();
        root->add_script("cron", {"Provides: cron", "Required-Start: ssh"});
        for (const QString name : {"ssh", "mount", "idle"})
            root->add_script(name, {"Provides: " + name});
        root->add_links("23", "S20cron");
        root->add_links("0", "K01cron");
        root->add_links("23", "S10ssh");
        root->add_links("S", "S03mount");
        root->set_listing({"S:20:2 3:cron", "K:01:0:cron", "S:10:2 3:ssh", "S:03:S:mount", "S:30:2:idle"});
        window = std::make_unique<AdminRunlevel>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QSize desktop = QGuiApplication::primaryScreen()->virtualGeometry().size(), size = window->size();
        QCOMPARE(window->frameGeometry().topLeft(), QPoint(0, 0));
        QVERIFY(size.boundedTo(desktop * 0.9) == size && size.expandedTo(desktop / 2) == size);
        QVERIFY(table()->viewport()->height() >= table()->rowCount() * table()->rowHeight(0));
    }

    void cleanup() { window.reset(); }

    // A setup insserv refuses loads with a notice in plain words, whose button opens the editor on a
    // service it names. The boot order opens from the Service menu; a service chosen there is chosen
    // in the table.
    void notices_and_the_boot_order_lead_to_the_services()
    {
        root->set_behaviour("listing", "exit 1");
        root->set_stderr("listing", "insserv: There is a loop between service cron and ssh if started\n");
        QVERIFY(replaces_table("&Reload"));
        const auto *bar = window->findChild<NoticeBar *>();
        QVERIFY(bar->isVisible());
        QStringList texts;
        for (const QLabel *label : bar->findChildren<QLabel *>())
            texts << label->text();
        QVERIFY2(texts.join(' ').contains("cron and ssh require each other through a dependency loop"),
                 qPrintable(texts.join(' ')));
        QPushButton *edit = nullptr;
        for (QPushButton *button : bar->findChildren<QPushButton *>())
            edit = button->text() == "Edit dependencies…" ? button : edit;
        QVERIFY(edit && edit->isVisible());
        QCOMPARE(edit->menu()->actions().size(), 2);
        ModalWatcher watcher;
        QString opened;
        watcher.expect([&opened](QWidget *dialog) {
            opened = dialog->windowTitle();
            qobject_cast<QDialog *>(dialog)->reject();
        });
        edit->menu()->actions().at(1)->trigger();
        QTRY_COMPARE(opened, "ssh");

        action("&Boot order")->trigger();
        auto *order = window->findChild<BootOrderWindow *>();
        QVERIFY(order->isVisible());
        QCOMPARE(order->today_view()->drawn_columns(), QList<QStringList>({{"ssh"}, {"cron"}}));
        order->today_view()->select("cron");
        QCOMPARE(table()->currentItem()->data(ServiceTable::ServiceNameRole).toString(), "cron");
        QVERIFY(watcher.unexpected.isEmpty());
    }

    // The flags stand for Enable, Disable, Start, Ignore and Stop on level, Toggle, Reset, Edit.
    void selections_enable_actions_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<bool>("highlighted");
        QTest::newRow("runlevel S cell") << QStringList{"mount:S"} << false << "..II.I.." << false;
        QTest::newRow("name cell") << QStringList{"cron:name"} << false << "EE...IRE" << true;
        QTest::newRow("name cell, a change before") << QStringList{"cron:name"} << true << "EE...I.E" << true;
        QTest::newRow("name cell, a change after") << QStringList{"cron:name"} << true << "EE...I.E" << true;
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
        // A change made before the selection or after it: a reset would reload the table and drop it.
        const QByteArray row = QTest::currentDataTag();
        if (row.endsWith("before"))
            table()->toggle_item(this->cells().level_cell("idle", "3"));
        select(cells);
        if (row.endsWith("after"))
            table()->toggle_item(this->cells().level_cell("idle", "3"));
        QString actual;
        for (const char *text : {"&Enable service", "&Disable service", "&Start on level", "&Ignore on level",
                                 "&Stop on level", "&Toggle cell", "&Reset to defaults", "&Edit"})
            actual += action(text)->isEnabled() ? (enabled.at(actual.size()) == '.' ? '?' : enabled.at(actual.size()))
                                                : '.';
        QCOMPARE(actual, enabled);
        QCOMPARE(action("&Apply all changes")->isEnabled(), pending);
        const QColor colour = this->cells().cell("ssh", 0)->data(Qt::ForegroundRole).value<QBrush>().color();
        QTEST(colour.hslHue() == QColor(250, 127, 80).hslHue(), "highlighted");
    }

    // Each key is bound once; Ctrl+S starts on a level, Ctrl+Shift+K disables the service, only the window
    // takes Space, Ctrl+Return applies. Shift+F10 opens the table's menu for the current cell.
    void keys_reach_their_actions()
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const QList<QPair<QString, QKeySequence>> steps{{"cron:S", Qt::CTRL | Qt::Key_S},
                                                        {"ssh:name", Qt::CTRL | Qt::SHIFT | Qt::Key_K},
                                                        {"mount:2", Qt::Key_Space}};
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
        QStringList keys;
        for (const QAction *each : window->findChildren<QAction *>())
            for (const QKeySequence &key : each->shortcuts())
                keys << key.toString();
        QCOMPARE(QSet<QString>(keys.cbegin(), keys.cend()).size(), keys.size());

        // The fake insserv makes no links: the apply stops at its rehearsal, whose box is answered.
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Ok);
        QSignalSpy applied(action("&Apply all changes"), &QAction::triggered);
        QTest::keySequence(window.get(), Qt::CTRL | Qt::Key_Return);
        watcher.expect_menu(QString());
        select({"cron:3"});
        QTest::keyClick(table(), Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(applied.size(), 1);
        QCOMPARE(watcher.menus, QList<QStringList>({{"ignore", "stop", "Start &now", "St&op now", "Restar&t now"}}));
    }

    void confirmations_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("changed"); // whose links start or stop otherwise, or whose override changed
        QTest::addColumn<bool>("yes_by_default");
        QTest::newRow("apply, yes") << "&Apply all changes" << true << QStringList{"cron"} << true;
        QTest::newRow("apply, no") << "&Apply all changes" << false << QStringList() << true;
        QTest::newRow("undo, yes") << "&Undo all changes" << true << QStringList() << false;
        QTest::newRow("undo, no") << "&Undo all changes" << false << QStringList() << false;
        QTest::newRow("reset, yes") << "&Reset to defaults" << true << QStringList{"cron"} << false;
        QTest::newRow("reset, no") << "&Reset to defaults" << false << QStringList() << false;
    }

    // cron, disabled but for a reset: confirmed, the operation runs and a fresh table replaces the old.
    // Where Yes throws work away, No is the default.
    void confirmations()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        QFETCH(QString, action);
        QFETCH(bool, yes);
        use_real_programs();
        const bool reset = action == "&Reset to defaults";
        select({"cron:name"});
        if (!reset)
            table()->switch_services_state(false);
        const BootConfiguration before = read_boot_configuration(root->path());
        ModalWatcher watcher;
        watcher.expect_message(yes ? QMessageBox::Yes : QMessageBox::No);
        if (yes && action != "&Undo all changes")
            watcher.expect_message(QMessageBox::Ok);
        QCOMPARE(replaces_table(action), yes);
        QCOMPARE(this->action("&Apply all changes")->isEnabled(), !yes && !reset);
        QCOMPARE(watcher.pending() + watcher.unexpected.size(), 0);
        const BootConfiguration after = read_boot_configuration(root->path());
        QStringList changed;
        for (const QString &service : changed_services(before, after)) {
            if (before.states_of(service) != after.states_of(service)
                || before.overrides.value(service) != after.overrides.value(service))
                changed << service;
        }
        QTEST(changed, "changed");
        QTEST(watcher.defaults.first() == QMessageBox::Yes, "yes_by_default");
    }

    void closing_asks_about_pending_changes_data()
    {
        QTest::addColumn<bool>("administrator");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("failing");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("outcome"); // the first question's default button, whether idle was applied
        const QList<int> apply{QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Ok};
        QTest::newRow("nothing pending") << true << false << QList<int>() << false << true << "";
        QTest::newRow("cancel") << true << true << QList<int>{QMessageBox::Cancel} << false << false << "Cancel, kept";
        QTest::newRow("no") << true << true << QList<int>{QMessageBox::No} << false << true << "Cancel, dropped";
        QTest::newRow("yes, then no: back to the window")
            << true << true << QList<int>{QMessageBox::Yes, QMessageBox::No} << false << false << "Cancel, kept";
        QTest::newRow("yes, then yes") << true << true << apply << false << true << "Cancel, applied";
        QTest::newRow("yes, yes, the apply fails: back to the window, the change pending")
            << true << true << apply + QList<int>{QMessageBox::Ok} << true << false << "Cancel, kept";
        QTest::newRow("without rights: cancel") << false << true << QList<int>{QMessageBox::Cancel} << false << false
                                                << "Cancel, kept";
        QTest::newRow("without rights: discard") << false << true << QList<int>{QMessageBox::Discard} << false << true
                                                 << "Cancel, dropped";
    }

    // Every way of closing with a change pending asks; the safe answer is the default and keeps the window.
    // A closed window's geometry comes back in the next.
    void closing_asks_about_pending_changes()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        QFETCH(bool, administrator);
        QFETCH(bool, pending);
        QFETCH(QList<int>, answers);
        use_real_programs();
        if (!administrator)
            test_hooks::assume_administrator_rights(false);
        window = std::make_unique<AdminRunlevel>();
        window->show();
        if (pending)
            table()->toggle_item(cells().cell("idle", 1));
        QFETCH(bool, failing);
        if (failing)
            root->fail_on_machine("idle");
        // Inside the offscreen platform's 800x600 screen: Qt 6.8 moves a restored window that
        // reaches beyond it back onto it.
        const QRect moved(30, 40, 640, 480);
        window->setGeometry(moved);
        ModalWatcher watcher;
        for (int answer : answers)
            watcher.expect_message(QMessageBox::StandardButton(answer));
        action("&Exit")->trigger();
        const bool closed = !window->isVisible();
        QTEST(closed, "closed");
        QCOMPARE(watcher.pending(), 0);
        const bool applied = !read_boot_configuration(root->path()).links_of("idle").isEmpty();
        const bool kept = !closed && table()->pending_changes() == 1;
        const QString state = applied ? "applied" : kept ? "kept" : "dropped";
        const char *first_default
            = QMetaEnum::fromType<QMessageBox::StandardButtons>().valueToKey(watcher.defaults.value(0));
        QTEST(watcher.defaults.isEmpty() ? QString() : QString(first_default) + ", " + state, "outcome");
        QTEST(AdminRunlevel().geometry() == moved, "closed");
    }

    // "insserv idle" fails after ssh's change took effect: the reloaded table shows ssh's change applied,
    // and idle's stays pending; the window says which is which.
    // An apply that insserv refuses on the machine, after its rehearsal passed, restores everything:
    // every edit stays pending in the table read again, and the user is told.
    void a_failed_apply_keeps_what_it_did_not_apply()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        use_real_programs();
        window->show();
        table()->toggle_item(cells().cell("idle", 1));
        select({"cron:3"});
        table()->switch_services_runlevels("");
        root->fail_on_machine("idle");
        const BootConfiguration before = read_boot_configuration(root->path());
        ModalWatcher watcher;
        for (int box = 0; box < 3; ++box)
            watcher.expect_message(box == 0 ? QMessageBox::Yes : QMessageBox::Ok);
        QVERIFY(replaces_table("&Apply all changes"));
        QCOMPARE(watcher.pending(), 0);
        QCOMPARE(watcher.texts.last(), "Applied: 0 of 2 changes. Not applied, still pending: 2.");
        QCOMPARE(watcher.details.last(), "Not applied, still pending:\ncron: ignore on level 3\nidle: enable");
        QCOMPARE(changed_services(before, read_boot_configuration(root->path())), QStringList());
        QCOMPARE(status(), "Pending changes: 2");
        QVERIFY(action("&Apply all changes")->isEnabled()
                && cells().cell("idle", 1)->data(ServiceTable::ChangedRole).toBool());
    }

    // With the real insserv and update-rc.d: undo puts back exactly what the last apply changed,
    // after a preview of every link and override it puts back; it is refused, naming the service,
    // when another program changed a service of that apply since, and then changes nothing.
    void undo_last_apply()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        use_real_programs();
        window->show();
        QVERIFY(!action("Undo &last apply")->isEnabled());
        const BootConfiguration before = read_boot_configuration(root->path());
        const auto apply = [this](const QString &cell, const QString &mark) {
            select({cell});
            table()->switch_services_runlevels(mark);
            ModalWatcher watcher;
            watcher.expect_message(QMessageBox::Yes);
            watcher.expect_message(QMessageBox::Ok);
            QVERIFY(replaces_table("&Apply all changes"));
            QCOMPARE(watcher.texts.value(1), "Changes are applied");
        };
        apply("cron:3", "K");
        QVERIFY(action("Undo &last apply")->isEnabled());
        {
            ModalWatcher watcher;
            watcher.expect_message(QMessageBox::Yes);
            watcher.expect_message(QMessageBox::Ok);
            QVERIFY(replaces_table("Undo &last apply"));
            QVERIFY2(watcher.texts.value(0).startsWith("Put back cron as before the apply of 20"),
                     qPrintable(watcher.texts.value(0)));
            QVERIFY(watcher.details.value(0).contains("runlevel 3: K01cron becomes S02cron"));
            QVERIFY(watcher.details.value(0).contains(
                "-# Default-Start: 2 4 5\n-# Default-Stop: 0 1 3 6\n+# Default-Start: 2\n"));
            QCOMPARE(watcher.texts.value(1), "The last apply is undone.");
        }
        const BootConfiguration undone = read_boot_configuration(root->path());
        QCOMPARE(changed_services(before, undone), QStringList());
        QCOMPARE(undone.generated, before.generated);
        QVERIFY(!action("Undo &last apply")->isEnabled());

        apply("cron:3", "K");
        QVERIFY(QProcess::execute(root->path("usr/sbin/update-rc.d"), {"cron", "disable", "2"}) == 0);
        QVERIFY(replaces_table("&Reload"));
        const BootConfiguration changed = read_boot_configuration(root->path());
        ModalWatcher refusal;
        refusal.expect_message(QMessageBox::Ok);
        QVERIFY(!replaces_table("Undo &last apply"));
        QVERIFY2(refusal.texts.value(0).startsWith("cron changed since the apply of "),
                 qPrintable(refusal.texts.value(0)));
        QVERIFY(refusal.texts.value(0).endsWith("Nothing was done."));
        QCOMPARE(changed_services(changed, read_boot_configuration(root->path())), QStringList());
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
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Discard);
        QVERIFY(window->close());
        QCOMPARE(root->calls().filter(QRegularExpression("^(?!-s$)")), QStringList());
    }

    void restart_as_administrator_data()
    {
        QTest::addColumn<QString>("outcome"); // what the fake pkexec does: "ready", an exit code, or "missing"
        QTest::addColumn<QString>("told");    // the bar's text, or the box's, once it ended
        const QString stay = " The pending changes stay here.";
        QTest::newRow("taken over") << "ready" << "";
        QTest::newRow("authentication dismissed") << "126" << "Changes need administrator rights. The restart was "
                                                              "cancelled; the pending changes stay here.";
        QTest::newRow("not authorized")
            << "127"
            << "pkexec did not start the program as administrator: the user is not "
               "allowed to, or no authentication agent runs (pkexec tells why on standard error)."
                + stay;
        QTest::newRow("an administrator's window open already") << "1"
                                                                << "An administrator's window of this program is "
                                                                   "open already: it was brought to the front."
                + stay;
        QTest::newRow("no pkexec") << "missing" << "pkexec could not be started: No such file or directory." + stay;
    }

    // The fake pkexec, first on PATH, records its arguments, its standard input and its parent, which must be
    // this very process, alive; it escalates nothing. Until the new instance says "ready" the window stays,
    // editing suspended; then it closes unasked. The text it handed over makes the same edits pending in an
    // administrator's window, which says "ready" once shown. Any other end leaves the window and its edits.
    void restart_as_administrator()
    {
        QFETCH(QString, outcome);
        QFETCH(QString, told);
        root->write_file("bin/pkexec", QStringLiteral(
            "#!/bin/sh\nctl='%1'\ncat > \"$ctl/edits\"\nprintf '%s\\n' \"$*\" > \"$ctl/arguments\"\n"
            "sed -n 's/^PPid:[[:space:]]*//p' /proc/$$/status > \"$ctl/parent\"\n"
            "[ %2 = ready ] || exit %2\n"
            "tries=0; while [ ! -e \"$ctl/go\" ] && [ $tries -lt 400 ]; do sleep 0.05; tries=$((tries + 1)); done\n"
            "echo ready\n").arg(root->path("fake"), outcome).toUtf8(), true);
        test_hooks::assume_administrator_rights(false);
        window = std::make_unique<AdminRunlevel>();
        window->show();
        table()->toggle_item(cells().cell("idle", 1));
        select({"ssh:3"});
        table()->switch_services_runlevels("");
        auto *bar = window->findChild<AdministratorBar *>();
        const auto bar_text = [bar] { return bar->findChildren<QLabel *>().last()->text(); };
        ModalWatcher watcher;
        if (outcome != "ready" && outcome != "126")
            watcher.expect_message(QMessageBox::Ok);
        // Never the machine's own pkexec: without the fake, none is found.
        if (outcome == "missing") {
            QFile::remove(root->path("bin/pkexec"));
            qputenv("PATH", QFile::encodeName(root->path("bin")));
        }
        bar->findChild<QPushButton *>()->click();
        if (outcome == "ready") {
            QTRY_VERIFY(QFile::exists(root->path("fake/parent")));
            QVERIFY(window->isVisible() && !action("&Undo all changes")->isEnabled() && !table()->isEnabled());
            QCOMPARE(bar_text(), "Waiting for the administrator's window; the pending changes go along to it.");
            root->write_file("fake/go", "");
            QTRY_VERIFY(!window->isVisible());
            QCOMPARE(root->read_file("fake/parent").trimmed().toLongLong(), QCoreApplication::applicationPid());
            QVERIFY(root->read_file("fake/arguments").endsWith(QCoreApplication::applicationFilePath().toUtf8()
                                                               + " --pending-edits\n"));
            QCOMPARE(watcher.texts + watcher.unexpected, QStringList());

            test_hooks::assume_administrator_rights(true);
            AdminRunlevel administrators;
            administrators.show();
            QCOMPARE(administrators.take_over_edits(root->read_file("fake/edits")), QStringList());
            QCOMPARE(administrators.findChild<ServiceTable *>()->pending_edits(), table()->pending_edits());
            int pipe_ends[2];
            QVERIFY(::pipe(pipe_ends) == 0);
            bool then = false;
            announce_taken_over(&administrators, pipe_ends[1], [&then] { then = true; });
            QTRY_VERIFY(then);
            ::close(pipe_ends[1]);
            QCOMPARE(read_handed_over_edits(pipe_ends[0]), "ready\n");
            // An ordinary instance closed meanwhile: saying "ready" to nobody must not end this one.
            then = false;
            ::close(pipe_ends[0]);
            QVERIFY(::pipe(pipe_ends) == 0 && ::close(pipe_ends[0]) == 0);
            announce_taken_over(&administrators, pipe_ends[1], [&then] { then = true; });
            QTRY_VERIFY(then);
            ::close(pipe_ends[1]);
            return;
        }
        QTRY_VERIFY(action("&Undo all changes")->isEnabled());
        QVERIFY(window->isVisible() && table()->isEnabled() && table()->pending_changes() == 2);
        QCOMPARE(watcher.texts.value(0, bar_text()), told);
        QCOMPARE(watcher.pending(), 0);
    }

    // On a desktop of 1920 by 1080: half of it for a small table, all of a table up to nine tenths of it. The
    // installed program has a polkit action that keeps the display; any other copy takes it along. The
    // help menu opens both about boxes, with the name and version the program sets.
    void window_size_restart_and_help()
    {
        const auto size = [](int width, int height) {
            return AdminRunlevel::first_window_size({1920, 1080}, {width, height});
        };
        QCOMPARE(QList<QSize>({size(700, 300), size(1728, 700), size(2500, 1200)}),
                 QList<QSize>({{960, 540}, {1728, 700}, {1728, 972}}));
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
    // ones; ignored and disabled rows hidden, the selection cleared) without widening the window, and counts
    // the pending changes; a reload keeps
    // the service in view; disabling a service of runlevel S is named in the question; a dependency
    // edit reloads the table, or marks it stale when the user keeps pending changes.
    void status_bar_reload_and_guard()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        use_real_programs();
        window->show();
        QHeaderView *header = table()->horizontalHeader();
        const QPoint runlevel_2(header->sectionViewportPosition(TestTable::column_of("2")) + 5, 5);
        select({"cron:name"});
        window->resize(400, 300);
        const QSize narrow = window->size();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, runlevel_2);
        // The highlighting of cron stays while nothing is selected, and so does what it means.
        QCOMPARE(status(), "No pending changes | Runlevel 2: services started, in boot order | Show all services | "
                           "cron requires 1 service; 0 services require cron");
        QCOMPARE(cells().visible_names(), QStringList({"ssh", "cron"}));
        QVERIFY(table()->selectedItems().isEmpty() && !action("&Edit")->isEnabled());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, runlevel_2);
        QCOMPARE(status(), "No pending changes | Runlevel 2: services stopped, in shutdown order: none | Show all "
                           "services | cron requires 1 service; 0 services require cron");
        QCOMPARE(window->size(), narrow);
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
        QCOMPARE(watcher.texts.last(), "Reload the table and discard the other pending change?");
        QCOMPARE(status(), "Pending changes: 1 | mount requires 0 services; 0 services require mount | The table no "
                           "longer matches the system: reload it to see the changes (F5)");
        watcher.expect_message(QMessageBox::Yes);
        QVERIFY(replaces_table("&Undo all changes"));
        const QPointer<ServiceTable> before = table();
        emit table()->need_restart();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(before.isNull());
        QCOMPARE(watcher.pending() + watcher.unexpected.size(), 0);
        // Reload, a backbone service disabled, a dependency edit's reload, undo: Enter says No to each.
        QCOMPARE(watcher.defaults, QVector<QMessageBox::StandardButton>(4, QMessageBox::No).toList());
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
                                 "service disable", "vorn-runlevel", "exit", "state running", "state not running",
                                 "state dead", "state unknown", "start now", "stop now", "restart now", "filter",
                                 "boot order"})
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
