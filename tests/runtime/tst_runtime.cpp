#include "catalogue/change_map.h"
#include "runtime/service_commands.h"
#include "runtime/status_query.h"
#include "runtime/switched_services.h"
#include "tests/support/fixture.h"

namespace {

const QByteArray header = "#!/bin/sh\n### BEGIN INIT INFO\n# Provides: foo\n# Default-Start: 2 3 4 5\n"
                          "# Short-Description: foo\n### END INIT INFO\n\n. /lib/lsb/init-functions\n\n";

// Whether a process has gone; a zombie whose parent never waits for it counts as gone.
bool gone(const QString &pid)
{
    QFile stat("/proc/" + pid.trimmed() + "/stat");
    return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
}

} // namespace

class TestRuntime : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("VORN_LEAK", "yes"); }

    void status_actions_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("offered");
        QTest::newRow("skeleton") << QByteArray(
            "case \"$1\" in\n  start)\n\tdo_start\n\t;;\n  status)\n\tstatus_of_proc \"$DAEMON\" \"$NAME\" && exit 0 "
            "|| exit $?\n"
            "\t;;\n  *)\n\techo \"Usage: $SCRIPTNAME {start|stop|status|restart|force-reload}\" >&2\n\texit "
            "3\n\t;;\nesac\n") << true;
        QTest::newRow("among other labels")
            << QByteArray("case $1 in\nstart) do_start ;;\nstat | status )  do_status ;;\nesac\n") << true;
        QTest::newRow("quoted, in parentheses")
            << QByteArray("case \"$1\" in\n    ('status') do_status ;;\nesac\n") << true;
        QTest::newRow("compared") << QByteArray("if [ \"$1\" = \"status\" ]; then\n  pidofproc /usr/sbin/foo\nfi\n")
                                  << true;
        QTest::newRow("usage line only") << QByteArray("do_$1 || echo Usage: /etc/init.d/foo start\\|stop\\|status\n")
                                         << true;
        QTest::newRow("init-d-script") << QByteArray("#!/bin/sh /lib/init/init-d-script\nDAEMON=/usr/sbin/foo\n")
                                       << true;
        QTest::newRow("halt, start and stop only")
            << QByteArray("case \"$1\" in\n  start)\n\t# No-op\n\t;;\n  restart|reload|force-reload)\n\techo \"Error: "
                          "argument '$1' not supported\" >&2\n"
                          "\texit 3\n\t;;\n  stop)\n\tdo_stop\n\t;;\n  *)\n\techo \"Usage: $0 start|stop\" >&2\n\texit "
                          "3\n\t;;\nesac\n")
            << false;
        QTest::newRow("in comments and the description") << QByteArray(
            "# Description: reports the status of the arrays\n#  status) is left to mdadm --detail\n"
            "#echo \"Usage: $0 {start|stop|status}\" >&2\n"
            "case \"$1\" in\nstart|stop) ;;\nesac\n") << false;
        QTest::newRow("a variable and helpers") << QByteArray(
            "do_status() { :; }\nstatus=0\nstatus_of_proc -p $PIDFILE $DAEMON foo || status=$?\nlog_end_msg $status\n"
            "[ \"$status\" = 0 ] || exit $status\necho \"Usage: $0 {start|stop} [--statusfile FILE]\"\n") << false;
    }

    void status_actions()
    {
        QFETCH(QByteArray, body);
        QTEST(has_status_action(body.startsWith("#!") ? body : header + body), "offered");
    }

    // Exit statuses by the LSB; a script sees the locale and init's search path, nothing else. A
    // command's state read back contradicts it when it does not run after a start, or runs after a stop.
    // After an apply, the services just enabled that do not run, and those just disabled that run, are
    // offered; a state not known is no reason to act.
    void plain_answers()
    {
        QString states;
        for (int status : {0, 1, 2, 3, 4, 5, 150, -1})
            states += QString::number(int(run_state_of(status)));
        QCOMPARE(states, "12230000"); // Running 1, Dead 2, NotRunning 3, Unknown 0

        QProcessEnvironment caller;
        for (const char *name : {"LANG", "LC_MESSAGES", "LANGUAGE", "HOME", "PATH", "DISPLAY", "LD_PRELOAD", "CLASS"})
            caller.insert(name, "x");
        const QProcessEnvironment clean = clean_environment(caller);
        QCOMPARE(clean.keys(), QStringList({"LANG", "LANGUAGE", "LC_MESSAGES", "PATH"}));
        QCOMPARE(clean.value("PATH"), "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin");

        QString contradictions;
        for (const char *action : {"start", "restart", "stop"}) {
            for (RunState after : {RunState::Running, RunState::NotRunning, RunState::Dead, RunState::Unknown}) {
                ServiceCommand command("foo", action);
                command.outcome = ServiceCommand::Succeeded;
                contradictions += contradicts(command, after) ? 'C' : '.';
                command.outcome = ServiceCommand::Failed;
                contradictions += contradicts(command, after) ? '!' : '.';
            }
            contradictions += ' ';
        }
        QCOMPARE(contradictions, "..C.C... ..C.C... C....... ");

        ChangeMap changes;
        for (const char *name : {"a", "c", "f"})
            changes.insert({Service(name), ""}, "S");
        for (const char *name : {"b", "d", "e"})
            changes.insert({Service(name), ""}, "K");
        changes.insert({Service("a"), "2"}, "K");
        changes.insert({Service("g"), "2"}, "S");
        const SwitchedServices switched = switched_services(changes);
        QCOMPARE(switched.enabled + QStringList{"|"} + switched.disabled,
                 QStringList({"a", "c", "f", "|", "b", "d", "e"}));
        const QHash<QString, RunState> known{{"a", RunState::NotRunning}, {"c", RunState::Dead},
                                             {"f", RunState::Running},    {"b", RunState::Running},
                                             {"d", RunState::NotRunning}, {"e", RunState::Unknown}};
        const StartStopOffer offer = start_stop_offer(switched, known);
        QCOMPARE(offer.to_start + QStringList{"|"} + offer.to_stop, QStringList({"a", "c", "|", "b"}));
        QVERIFY(start_stop_offer(switched, {}).isEmpty());
    }

    // Two at a time: every exit status, a script without a status action (never run), a missing,
    // a non-executable and a misnamed one (none run), and one that hangs: ended with its child after
    // the time limit, while the others are answered meanwhile.
    void asks_scripts_a_few_at_a_time()
    {
        TestRoot root;
        const QStringList answers{"0", "1", "2", "3", "4", "150", "hang"};
        for (const QString &answer : answers) {
            root.add_daemon("answers-" + answer, {"Provides: answers-" + answer});
            root.set_status_answer("answers-" + answer, answer);
        }
        root.write_file("etc/init.d/oneshot",
                        TestRoot::header({"Provides: oneshot"}) + "touch '" + root.path("ran").toUtf8()
                            + "'\ncase \"$1\" in start|stop) ;; *) echo \"Usage: $0 start|stop\"; exit 3 ;; esac\n",
                        true);
        root.add_daemon("not-executable", {});
        QFile::setPermissions(root.path("etc/init.d/not-executable"), QFile::ReadOwner);

        StatusQuery::Limits limits = StatusQuery::default_limits;
        StatusQuery::default_limits = {2, 300};
        StatusQuery query;
        StatusQuery::default_limits = limits;
        QMap<QString, RunState> states;
        QStringList order;
        connect(&query, &StatusQuery::state_known, this, [&](const QString &name, RunState state) {
            states.insert(name, state);
            order.append(name);
        });
        QSignalSpy finished(&query, &StatusQuery::finished);
        QStringList names{"answers-hang", "oneshot", "missing", "not-executable", ".."};
        for (const QString &answer : answers.mid(0, 6))
            names.append("answers-" + answer);
        query.ask(names);
        QVERIFY(query.busy());
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!query.busy());

        QString summary;
        for (const QString &name : names)
            summary += QString::number(int(states.value(name, RunState(9))));
        QCOMPARE(summary, "00000122300");
        QCOMPARE(order.last(), "answers-hang");
        QVERIFY(!QFile::exists(root.path("ran")));
        QTRY_VERIFY(gone(root.read_file("run/answers-hang.child")));
        QCOMPARE(root.script_calls().filter(" status").size(), 7);
    }

    // One after another, through Debian's "service", keeping what each said: a failure does not stop
    // the others; a command that hangs is ended after the time limit; a name that is no file name is
    // never run.
    void commands_run_one_after_another()
    {
        TestRoot root;
        for (const char *name : {"db", "web", "mail", "stuck"})
            root.add_daemon(name, {});
        root.set_start_failure("mail", "mail: port 25 is in use");
        root.write_file("etc/init.d/stuck", "#!/bin/sh\necho stuck starting\nsleep 30\n", true);
        const int limit = ServiceCommands::default_time_limit_ms;
        ServiceCommands::default_time_limit_ms = 300;
        ServiceCommands commands;
        ServiceCommands::default_time_limit_ms = limit;
        QSignalSpy started(&commands, &ServiceCommands::command_started);
        QSignalSpy finished(&commands, &ServiceCommands::finished);
        commands.run({{"db", "start"}, {"mail", "start"}, {"../db", "stop"}, {"stuck", "start"}, {"web", "stop"}});
        QVERIFY(finished.wait(5000));
        QCOMPARE(started.size(), 5);
        QCOMPARE(root.service_calls(), QStringList({"db start", "mail start", "stuck start", "web stop"}));
        QStringList outcomes;
        for (const ServiceCommand &command : commands.results())
            outcomes << QStringLiteral("%1 %2 %3")
                            .arg(command.outcome)
                            .arg(command.exit_status)
                            .arg(QString(command.output).simplified());
        QCOMPARE(outcomes, QStringList({"1 0 Starting db", "2 1 Starting mail mail: port 25 is in use", "6 -1 ",
                                        "4 -1 stuck starting", "1 0 Stopping web"}));
        QCOMPARE(root.read_file("run/db").trimmed() + root.read_file("run/web").trimmed(), "03");
    }
};

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"
