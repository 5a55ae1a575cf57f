#include "apply/insserv_error.h"
#include "catalogue/test_hooks.h"
#include "tests/support/test_table.h"
#include "tests/support/test_root.h"

#include <QTest>

class TestInsservRunner : public QObject
{
    Q_OBJECT

private slots:
    void init() { test_hooks::set_process_timeout(300); }
    void whole_service_changes_run_insserv_once_data();
    void whole_service_changes_run_insserv_once();
    void level_changes_only_rewrite_the_override();
    void failures_name_the_service_data();
    void failures_name_the_service();
};

void TestInsservRunner::whole_service_changes_run_insserv_once_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("force");
    QTest::addColumn<bool>("dryrun");
    QTest::addColumn<QString>("command_line");
    QTest::newRow("enable") << "S" << false << false << "cron";
    QTest::newRow("disable") << "K" << false << false << "--remove cron";
    QTest::newRow("forced removal") << "K" << true << false << "--remove --force cron";
    QTest::newRow("dry run") << "S" << false << true << "--dryrun cron";
    QTest::newRow("force without removal") << "S" << true << false << "--force cron";
    QTest::newRow("empty value removes") << "" << false << false << "--remove cron";
    QTest::newRow("lower-case s removes") << "s" << false << false << "--remove cron";
}

void TestInsservRunner::whole_service_changes_run_insserv_once()
{
    QFETCH(QString, value);
    QFETCH(bool, force);
    QFETCH(bool, dryrun);
    QFETCH(QString, command_line);
    TestRoot root;
    TestTable().run_insserv(Service("cron"), QString(), value, force, dryrun);
    QCOMPARE(root.insserv().calls(), QStringList{command_line});
    QVERIFY(!QFileInfo::exists(root.path("etc/insserv/overrides/cron")));
}

void TestInsservRunner::level_changes_only_rewrite_the_override()
{
    TestRoot root;
    root.add_script("cron", {"Default-Start: 2 3"});
    root.insserv().remove_program();
    TestTable().run_insserv(Service("cron"), "3", "", true, true);
    QCOMPARE(root.read_file("etc/insserv/overrides/cron"),
             QByteArray("### BEGIN INIT INFO\n# Default-Start: 2\n### END INIT INFO\n"));
    QVERIFY(root.insserv().calls().isEmpty());
}

void TestInsservRunner::failures_name_the_service_data()
{
    QTest::addColumn<QString>("behaviour");
    QTest::addColumn<QString>("errors");
    QTest::addColumn<QString>("message");
    const QString prefix = QStringLiteral("An error has occured on processing \"cron\"  service");
    QTest::newRow("exit 1 with error output")
        << "exit 1" << "insserv: warning: x\nsecond line\n" << prefix + ": insserv: warning: x\nsecond line\n";
    QTest::newRow("exit 3 without error output") << "exit 3" << "" << prefix + "!";
    QTest::newRow("error output ends at a NUL") << "exit 1" << QString::fromLatin1("bad\0hidden", 10) << prefix + ": bad";
    QTest::newRow("crash") << "crash" << "" << prefix + "!";
    QTest::newRow("crash with error output") << "crash" << "dying\n" << prefix + ": dying\n";
    QTest::newRow("never finishes") << "hang" << "" << prefix + ": insserv error";
    QTest::newRow("missing program") << "" << "" << prefix + ": insserv error";
}

void TestInsservRunner::failures_name_the_service()
{
    QFETCH(QString, behaviour);
    QFETCH(QString, errors);
    QFETCH(QString, message);
    TestRoot root;
    if (behaviour.isEmpty())
        root.insserv().remove_program();
    else
        root.insserv().set_behaviour("cron", behaviour);
    root.insserv().set_stderr("cron", errors);
    try {
        TestTable().run_insserv(Service("cron"), QString(), "S", false, false);
        QFAIL("the failure was not reported");
    } catch (const InsservError &error) {
        QCOMPARE(error.title(), QStringLiteral("Error"));
        QCOMPARE(error.message(), message);
    }
}

QTEST_MAIN(TestInsservRunner)
#include "tst_insserv_runner.moc"
