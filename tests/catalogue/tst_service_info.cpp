#include "catalogue/service_info.h"
#include "tests/support/test_root.h"

#include <QElapsedTimer>
#include <QTest>

#include <sys/stat.h>

using Line = QPair<QString, QString>;

class TestServiceInfo : public QObject
{
    Q_OBJECT

private slots:
    void worked_example();
    void override_replaces_the_script();
    void start_and_end_lines();
    void field_and_continuation_lines();
    void dependency_values();
    void bytes_are_utf8_up_to_nul();
    void unreadable_sources_give_invalid_records();
    void bad_input_neither_crashes_nor_hangs();

private:
    ServiceInfo script(const QByteArray &content);

    TestRoot *root = nullptr;
};

ServiceInfo TestServiceInfo::script(const QByteArray &content)
{
    root->write_file(QStringLiteral("etc/init.d/svc"), content);
    return ServiceInfo(QStringLiteral("svc"));
}

void TestServiceInfo::worked_example()
{
    TestRoot test_root;
    root = &test_root;
    const ServiceInfo info = script("#!/bin/sh\n# Provides: before\n### BEGIN INIT INFO\n"
                                    "# Provides: cron\n# Required-Start: $remote_fs +mountnfs\n"
                                    "# Default-Start: 2 3 4 5\n# Description: runs\n#  scheduled jobs\n"
                                    "### END INIT INFO\n# Short-Description: after\n");
    QVERIFY(info.valid);
    QCOMPARE(info.name, QStringLiteral("svc"));
    QCOMPARE(info.lines, HeaderLines({Line("Provides", "cron"), Line("Required-Start", "$remote_fs +mountnfs"),
                                      Line("Default-Start", "2 3 4 5"), Line("Description", "runs"),
                                      Line(QString(), "scheduled jobs")}));
    QVERIFY(info.lines.last().first.isNull());
    QCOMPARE(info.fields, HeaderLines({Line("Provides", "cron"), Line("Description", "runs\nscheduled jobs")}));
    QCOMPARE(info.dependencies.size(), 1);
    QCOMPARE(info.dependencies.first().first, QStringLiteral("Required-Start"));
    const QList<LSBDependency> deps = info.dependencies.first().second;
    QCOMPARE(deps.size(), 2);
    QCOMPARE(deps.at(0).name, QStringLiteral("$remote_fs"));
    QVERIFY(!deps.at(0).optional);
    QCOMPARE(deps.at(1).name, QStringLiteral("mountnfs"));
    QVERIFY(deps.at(1).optional);
    QCOMPARE(deps.at(1).keyword, QStringLiteral("Required-Start"));
    QCOMPARE(info.field(QStringLiteral("Description")), QStringLiteral("runs"));
    QVERIFY(info.field(QStringLiteral("Short-Description")).isNull());
}

void TestServiceInfo::override_replaces_the_script()
{
    TestRoot test_root;
    test_root.add_script(QStringLiteral("cron"), {QStringLiteral("Provides: cron"), QStringLiteral("Default-Start: 2")});
    test_root.add_override(QStringLiteral("cron"), {QStringLiteral("Provides: crond")});

    const ServiceInfo from_override(QStringLiteral("cron"));
    QCOMPARE(from_override.lines, HeaderLines({Line("Provides", "crond")}));

    QFile::remove(test_root.path(QStringLiteral("etc/insserv/overrides/cron")));
    const ServiceInfo from_script(QStringLiteral("cron"));
    QCOMPARE(from_script.field(QStringLiteral("Provides")), QStringLiteral("cron"));
    QCOMPARE(from_script.field(QStringLiteral("Default-Start")), QStringLiteral("2"));

    const ServiceInfo null_name{QString()};
    QVERIFY(!null_name.valid);
    QVERIFY(null_name.lines.isEmpty());
}

void TestServiceInfo::start_and_end_lines()
{
    TestRoot test_root;
    root = &test_root;
    QVERIFY(!script("###BEGIN INIT INFO\n# Provides: x\n### END INIT INFO\n").valid);
    QVERIFY(script("###BEGIN INIT INFO\n# Provides: x\n### END INIT INFO\n").lines.isEmpty());
    QVERIFY(script("###   BEGIN INIT INFO  \t\n# Provides: x\n###\tEND INIT INFO").valid);
    QCOMPARE(script("### BEGIN INIT INFO\r\n# Provides: x\r\n### END INIT INFO\r\n").field("Provides"),
             QStringLiteral("x"));
    QVERIFY(!script("### BEGIN INIT INFO trailing\n# Provides: x\n### END INIT INFO\n").valid);

    const ServiceInfo unended = script("### BEGIN INIT INFO\n# Provides: x\n# Default-Start: 2\n");
    QVERIFY(!unended.valid);
    QCOMPARE(unended.lines.size(), 2);
}

void TestServiceInfo::field_and_continuation_lines()
{
    TestRoot test_root;
    root = &test_root;
    const ServiceInfo info = script("### BEGIN INIT INFO\n#  leading text\n# Provides : x\n"
                                    "# Short-Description: first\n#\n#  see also: y\n"
                                    "echo shell code\n\n# Provides: a\n# Provides: b\n"
                                    "# Required-Start: z\n#  more\n### END INIT INFO\n");
    QVERIFY(info.valid);
    QCOMPARE(info.lines.first(), Line(QString(), "leading text"));
    QCOMPARE(info.fields, HeaderLines({Line("Provides ", "x"), Line("Short-Description", "first\n"),
                                       Line("see also", "y"), Line("Provides", "a"),
                                       Line("Provides", "b\nmore")}));
    QCOMPARE(info.field(QStringLiteral("Provides")), QStringLiteral("a"));
    QCOMPARE(info.lines.size(), 9);
}

void TestServiceInfo::dependency_values()
{
    TestRoot test_root;
    root = &test_root;
    const ServiceInfo info = script("### BEGIN INIT INFO\n# Required-Start:\n"
                                    "# Should-Start: $network  $time\n# Required-Start: +mountnfs\n"
                                    "# required-start: lower\n# X-Stop-After: a\tb\n### END INIT INFO\n");
    QCOMPARE(info.dependencies.size(), 4);
    QVERIFY(info.dependencies.at(0).second.isEmpty());

    const QList<LSBDependency> should = info.dependencies.at(1).second;
    QCOMPARE(should.size(), 3);
    QCOMPARE(should.at(1).name, QString());
    QCOMPARE(should.at(2).name, QStringLiteral("$time"));
    QCOMPARE(should.at(2).keyword, QStringLiteral("Should-Start"));

    const LSBDependency optional = info.dependencies.at(2).second.first();
    QCOMPARE(optional.name, QStringLiteral("mountnfs"));
    QVERIFY(optional.optional);

    QCOMPARE(info.dependencies.at(3).second.first().name, QStringLiteral("a\tb"));
    QCOMPARE(info.fields, HeaderLines({Line("required-start", "lower")}));
}

void TestServiceInfo::bytes_are_utf8_up_to_nul()
{
    TestRoot test_root;
    root = &test_root;
    const ServiceInfo info = script(QByteArray("### BEGIN INIT INFO\n# Provides: cut\0hidden\n"
                                               "# Description: D\xc3\xa9marrage \xe2\x9c\x93\n### END INIT INFO\n",
                                               96));
    QVERIFY(info.valid);
    QCOMPARE(info.field(QStringLiteral("Provides")), QStringLiteral("cut"));
    QCOMPARE(info.field(QStringLiteral("Description")), QString::fromUtf8("D\xc3\xa9marrage \xe2\x9c\x93"));
}

void TestServiceInfo::unreadable_sources_give_invalid_records()
{
    TestRoot test_root;
    test_root.add_script(QStringLiteral("cron"), {QStringLiteral("Provides: cron")});
    QDir().mkpath(test_root.path(QStringLiteral("etc/insserv/overrides/cron")));
    const ServiceInfo shadowed(QStringLiteral("cron"));
    QVERIFY(!shadowed.valid);
    QVERIFY(shadowed.lines.isEmpty());

    QVERIFY(!ServiceInfo(QStringLiteral("missing")).valid);

    QDir().mkpath(test_root.path(QStringLiteral("etc/init.d/directory")));
    QVERIFY(!ServiceInfo(QStringLiteral("directory")).valid);

    QVERIFY(QFile::link(QStringLiteral("nowhere"), test_root.path(QStringLiteral("etc/init.d/dangling"))));
    QVERIFY(!ServiceInfo(QStringLiteral("dangling")).valid);

    // A FIFO would block a plain open until a writer appears.
    QCOMPARE(mkfifo(QFile::encodeName(test_root.path(QStringLiteral("etc/init.d/fifo"))).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!ServiceInfo(QStringLiteral("fifo")).valid);
    QVERIFY(timer.elapsed() < 5000);
}

void TestServiceInfo::bad_input_neither_crashes_nor_hangs()
{
    TestRoot test_root;
    root = &test_root;
    QVERIFY(!script(QByteArray()).valid);

    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(char((i * 7919) % 256));
    QVERIFY(!script(binary).valid);

    const QByteArray large = QByteArray("# just shell code, no header at all\n").repeated(150000);
    QVERIFY(large.size() > 5 * 1024 * 1024);
    QElapsedTimer timer;
    timer.start();
    const ServiceInfo info = script(large);
    QVERIFY(!info.valid);
    QVERIFY(info.lines.isEmpty());
    QVERIFY(timer.elapsed() < 10000);
}

QTEST_GUILESS_MAIN(TestServiceInfo)
#include "tst_service_info.moc"
