#include "app/admin_runlevel.h"
#include "app/admin_status_bar.h"
#include "app/service_control.h"
#include "catalogue/test_hooks.h"
#include "runtime/status_query.h"
#include "tests/support/fixture.h"

namespace {

bool gone(const QByteArray &pid)
{
    QFile stat("/proc/" + pid.trimmed() + "/stat");
    return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
}

} // namespace

class TestRunningServices : public QObject
{
    Q_OBJECT

    QTemporaryDir settings;
    std::unique_ptr<TestRoot> root;
    std::unique_ptr<AdminRunlevel> window;

    ServiceTable *table() const { return window->findChild<ServiceTable *>(); }
    ServiceControl *control() const { return window->findChild<ServiceControl *>(); }
    TableCells cells() const { return TableCells(*table()); }
    QString tip(const QString &name) const { return cells().cell(name, 0)->toolTip(); }

    QString status() const
    {
        QStringList texts;
        for (const QWidget *shown : window->statusBar()->findChildren<QWidget *>()) {
            if (shown->isVisible() && !shown->property("text").toString().isEmpty())
                texts << QTextDocumentFragment::fromHtml(shown->property("text").toString()).toPlainText();
        }
        return texts.join(" | ");
    }

    QAction *action(const QString &text) const
    {
        for (QAction *candidate : window->findChildren<QAction *>()) {
            if (candidate->text() == text)
                return candidate;
        }
        return nullptr;
    }

    void select(const QStringList &names)
    {
        table()->clearSelection();
        for (const QString &name : names)
            table()->setCurrentItem(cells().cell(name, 0), QItemSelectionModel::Select);
    }

    bool all_known() const
    {
        for (int row = 0; row < table()->rowCount(); ++row) {
            if (!table()->item(row, 0)->data(ServiceTable::RunStateRole).isValid())
                return false;
        }
        return true;
    }

    // Answers the question with the button, then the report, if one is expected, and waits for the
    // commands and their states.
    bool act(const QString &text, QMessageBox::StandardButton answer, ModalWatcher &watcher, bool report = false)
    {
        QSignalSpy acted(control(), &ServiceControl::acted);
        watcher.expect_message(answer);
        if (report)
            watcher.expect_message(QMessageBox::Ok);
        action(text)->trigger();
        return answer == QMessageBox::No || acted.wait(5000);
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        QCoreApplication::setOrganizationName("vorn-test");
        StatusQuery::default_limits.time_limit_ms = 300;
    }

    // Enabled: web (running), cache (dead), mail (not running) and oneshot (no status action); disabled
    // the Debian way: print (running) and spare (not running).
    void init()
    {
        root = std::make_unique<TestRoot>();
        for (const QString name : {"web", "mail", "cache", "print", "spare"})
            root->add_daemon(name, {"Provides: " + name, "Default-Start: 2"});
        root->add_script("oneshot", {"Provides: oneshot", "Default-Start: S"});
        for (const QString link : {"S20web", "S30mail", "S25cache", "K80print"})
            root->add_links("2", link);
        root->add_links("S", "S01oneshot");
        root->set_listing(
            {"S:20:2:web", "S:30:2:mail", "S:25:2:cache", "S:40:2:print", "S:50:2:spare", "S:01:S:oneshot"});
        for (const QString state : {"web 0", "mail 3", "cache 1", "print 0", "spare 3"})
            root->set_status_answer(state.section(' ', 0, 0), state.section(' ', 1));
        window = std::make_unique<AdminRunlevel>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY(all_known());
    }

    void cleanup() { window.reset(); }

    // Each state on its service's name cell, with the override's tool tip kept under it; the status
    // bar's filters. A status action that hangs leaves the window at the user's service until it is
    // ended; F5 asks again.
    void states_show_and_filter()
    {
        QStringList tips;
        for (const char *name : {"web", "mail", "cache", "print", "spare", "oneshot"})
            tips << tip(name);
        QCOMPARE(tips,
                 QStringList({"Running", "Not running", "Dead (pid file left)", "Running", "Not running", "Unknown"}));
        QCOMPARE(cells().cell("web", 0)->data(ServiceTable::RunStateRole).value<int>(), int(RunState::Running));
        QCOMPARE(root->script_calls().filter(" status").size(), 5);

        QMenu *filters = window->statusBar()->findChild<QToolButton *>()->menu();
        filters->actions().at(0)->trigger();
        QCOMPARE(cells().visible_names(), QStringList({"cache", "mail"}));
        QCOMPARE(status(), "No pending changes | Enabled, not running | Show all services | cache requires 0 services; "
                           "0 services require cache");
        filters->actions().at(1)->trigger();
        QCOMPARE(cells().visible_names(), QStringList({"print"}));
        table()->filter_items(0);
        QCOMPARE(cells().visible_names().size(), 6);

        root->set_status_answer("web", "hang");
        root->set_status_answer("mail", "0");
        root->add_override("mail", {"Provides: mail", "Default-Start: 2"});
        action("&Reload")->trigger();
        QTRY_VERIFY(QFile::exists(root->path("run/web.child")));
        select({"spare"});
        QVERIFY(action("Start &now")->isEnabled() && !gone(root->read_file("run/web.child")));
        QTRY_COMPARE(tip("web"), "Unknown");
        QTRY_VERIFY(gone(root->read_file("run/web.child")));
        QCOMPARE(tip("mail"), "Running\nOverride: " + root->path("etc/insserv/overrides/mail"));
    }

    // Confirmed by name, with No as the default; started in boot order, stopped at once; a failure,
    // or a service that does not run after a start that said it did, is shown with what the script
    // said. The same actions in the context menu; none without administrator rights.
    void start_stop_restart_now()
    {
        ModalWatcher watcher;
        select({"web"});
        watcher.expect_menu(QString());
        QMetaObject::invokeMethod(table(), "context_menu", Q_ARG(QPoint, QPoint(5, 5)));
        QCOMPARE(watcher.menus.value(0).mid(watcher.menus.value(0).size() - 3),
                 QStringList({"Start &now", "St&op now", "Restar&t now"}));

        bool no_by_default = false;
        watcher.expect([&no_by_default](QWidget *box) {
            auto *question = qobject_cast<QMessageBox *>(box);
            no_by_default = question->defaultButton() == question->button(QMessageBox::No);
            question->button(QMessageBox::No)->click();
        });
        action("St&op now")->trigger();
        QVERIFY(no_by_default);
        QVERIFY(act("St&op now", QMessageBox::Yes, watcher));
        QCOMPARE(watcher.texts, QStringList({"Stop web now?"}));
        QCOMPARE(tip("web"), "Not running");

        root->set_start_failure("mail", "mail: port 25 is in use");
        root->write_file("etc/init.d/cache", "#!/bin/sh\n[ \"$1\" = status ] && exit 1\necho started\n", true);
        select({"mail", "cache", "web"});
        QVERIFY(act("Start &now", QMessageBox::Yes, watcher, true));
        QCOMPARE(watcher.texts.mid(1), QStringList({"Start web, cache, mail now?", "Could not start: cache, mail."}));
        for (const char *said : {"service cache start\nstarted\nExit status 0; state now: Dead (pid file left)",
                                 "Starting mail\nmail: port 25 is in use\nExit status 1; state now: Not running"})
            QVERIFY2(watcher.details.last().contains(said), qPrintable(watcher.details.last()));
        QCOMPARE(tip("web"), "Running");

        select({"oneshot"});
        QVERIFY(act("Restar&t now", QMessageBox::Yes, watcher));
        QCOMPARE(root->service_calls(),
                 QStringList({"web stop", "web start", "cache start", "mail start", "oneshot restart"}));
        QCOMPARE(watcher.pending() + watcher.unexpected.size(), 0);

        const int asked = root->script_calls().size();
        test_hooks::assume_administrator_rights(false);
        window = std::make_unique<AdminRunlevel>();
        select({"web"});
        for (const char *text : {"Start &now", "St&op now", "Restar&t now"})
            QVERIFY(!action(text)->isEnabled() && action(text)->toolTip().contains("administrator rights"));
        QTest::qWait(50);
        QCOMPARE(root->script_calls().size(), asked);
    }

    // Applying disables web (running) and mail (not running) and enables spare (not running): the
    // offer names spare to start and web to stop, none checked; only what is checked is done.
    // With the real insserv and update-rc.d, which the apply's rehearsal needs.
    void offer_after_apply()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        window.reset();
        root = std::make_unique<TestRoot>();
        for (const QString name : {"web", "mail", "spare"})
            root->add_daemon(name, {"Provides: " + name, "Required-Start:", "Required-Stop:", "Default-Start: 2",
                                    "Default-Stop: 0 1 6"});
        QVERIFY(root->use_real_programs("", {}));
        QCOMPARE(QProcess::execute(root->path("sbin/insserv"), {"web", "mail"}), 0);
        for (const QString state : {"web 0", "mail 3", "spare 3"})
            root->set_status_answer(state.section(' ', 0, 0), state.section(' ', 1));
        window = std::make_unique<AdminRunlevel>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY(all_known());
        select({"web", "mail"});
        table()->switch_services_state(false);
        select({"spare"});
        table()->switch_services_state(true);
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Yes);
        watcher.expect_message(QMessageBox::Ok);
        QStringList offered;
        watcher.expect([&offered](QWidget *dialog) {
            for (QGroupBox *group : dialog->findChildren<QGroupBox *>()) {
                offered << group->title();
                for (QCheckBox *box : group->findChildren<QCheckBox *>())
                    offered << box->text() + (box->isChecked() ? " (checked)" : "");
            }
            dialog->findChildren<QCheckBox *>().last()->setChecked(true);
            qobject_cast<QDialog *>(dialog)->accept();
        });
        QSignalSpy acted(control(), &ServiceControl::acted);
        action("&Apply all changes")->trigger();
        QVERIFY(acted.wait(5000));
        QCOMPARE(offered,
                 QStringList({"Enabled, not running: start now", "spare", "Disabled, running: stop now", "web"}));
        QCOMPARE(root->service_calls(), QStringList({"web stop"}));
        QCOMPARE(tip("web"), "Not running");
        QCOMPARE(watcher.pending() + watcher.unexpected.size(), 0);
    }
};

QTEST_MAIN(TestRunningServices)
#include "tst_running_services.moc"
