#include "apply/insserv_error.h"
#include "apply/override_writer.h"
#include "tests/support/test_table.h"
#include "tests/support/test_root.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray begin_line("### BEGIN INIT INFO\n");
const QByteArray end_line("### END INIT INFO\n");

QVariantMap level_payload(const QString &level, const QString &value)
{
    return {{QStringLiteral("level"), level}, {QStringLiteral("value"), value}};
}

QVariantMap dependency(const QString &name, bool optional)
{
    return {{QStringLiteral("service name"), name}, {QStringLiteral("is optional"), optional}};
}

QByteArray override_file(const TestRoot &root, const QString &name)
{
    return root.read_file(QStringLiteral("etc/insserv/overrides/") + name);
}

QString overrides_error(const TestRoot &root)
{
    return QStringLiteral("Overrides directory \"%1\" does not exist.").arg(root.path("etc/insserv/overrides"));
}

// Root is not stopped by permissions; a file size limit makes the write itself fail.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previous_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous_handler);
    }

private:
    rlimit saved{};
    void (*previous_handler)(int) = nullptr;
};

} // namespace

class TestOverrideWriter : public QObject
{
    Q_OBJECT

private slots:
    void level_write_rewrites_the_block_data();
    void level_write_rewrites_the_block();
    void level_writes_accumulate();
    void dependency_fields_are_replaced_at_the_end();
    void overrides_are_found_and_removed();
    void unsafe_names_never_become_paths_data();
    void unsafe_names_never_become_paths();
    void missing_overrides_directory_writes_nothing();
    void failed_write_keeps_the_old_override_data();
    void failed_write_keeps_the_old_override();
};

void TestOverrideWriter::level_write_rewrites_the_block_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("alignment blanks dropped, other lines copied")
        << QByteArray("#!/bin/sh\n### BEGIN INIT INFO\n# Provides:          cron\n# Default-Start:     2 3 4 5\n"
                      "# Default-Stop:      0 1 6\n# Short-Description: Regular background program\n"
                      "### END INIT INFO\nexit 0\n")
        << "2" << "K"
        << QByteArray("# Provides: cron\n# Default-Start: 3 4 5\n# Default-Stop: 0 1 2 6\n"
                      "# Short-Description: Regular background program\n");
    QTest::newRow("continuation line kept in place")
        << TestRoot::header({"Description: runs", "  scheduled jobs", "Default-Start: 2"}) << "3" << "S"
        << QByteArray("# Description: runs\n# scheduled jobs\n# Default-Start: 2 3\n");
    QTest::newRow("missing Default-Start not created")
        << TestRoot::header({"Provides: x", "Default-Stop: 0 2 6"}) << "2" << "S"
        << QByteArray("# Provides: x\n# Default-Stop: 0 6\n");
    QTest::newRow("emptied field keeps one blank")
        << TestRoot::header({"Default-Start: 2", "Default-Stop: 1"}) << "1" << "S"
        << QByteArray("# Default-Start: 1 2\n# Default-Stop: \n");
    QTest::newRow("empty value with S gives two blanks")
        << TestRoot::header({"Default-Start:", "Default-Stop: 0 2"}) << "2" << "S"
        << QByteArray("# Default-Start:  2\n# Default-Stop: 0\n");
    QTest::newRow("empty state leaves both fields")
        << TestRoot::header({"Default-Start: 2 3", "Default-Stop: 0 3"}) << "3" << ""
        << QByteArray("# Default-Start: 2\n# Default-Stop: 0\n");
    QTest::newRow("valueless field keeps one blank")
        << TestRoot::header({"Should-Stop:", "Default-Start: 2"}) << "2" << "K"
        << QByteArray("# Should-Stop: \n# Default-Start: \n");
    QTest::newRow("runlevel S sorts after the digits")
        << TestRoot::header({"Default-Start: 3 2"}) << "S" << "S" << QByteArray("# Default-Start: 2 3 S\n");
    QTest::newRow("tab-separated levels are levels too")
        << TestRoot::header({"Default-Start:\t2\t3\t4", "Default-Stop: 0"}) << "3" << "K"
        << QByteArray("# Default-Start: 2 4\n# Default-Stop: 0 3\n");
    QTest::newRow("no header anywhere") << QByteArray() << "2" << "S" << QByteArray();
}

void TestOverrideWriter::level_write_rewrites_the_block()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, level);
    QFETCH(QString, value);
    QFETCH(QByteArray, expected);
    TestRoot root;
    if (!script.isEmpty())
        root.write_file("etc/init.d/svc", script);

    QVERIFY(write_override(Service("svc"), level_payload(level, value), override_level, nullptr, nullptr));
    QCOMPARE(override_file(root, "svc"), begin_line + expected + end_line);
}

void TestOverrideWriter::level_writes_accumulate()
{
    TestRoot root;
    root.add_script("cron", {"Provides: cron", "Default-Start: 2 3 4 5", "Default-Stop: 0 1 6"});
    TestTable table;
    table.run_insserv(Service("cron"), "2", "K", true, true);
    table.run_insserv(Service("cron"), "5", "", false, false);
    QCOMPARE(override_file(root, "cron"),
             begin_line + "# Provides: cron\n# Default-Start: 3 4\n# Default-Stop: 0 1 2 6\n" + end_line);
    QVERIFY(root.insserv().calls().isEmpty());
}

void TestOverrideWriter::dependency_fields_are_replaced_at_the_end()
{
    TestRoot root;
    root.add_script("web", {"Provides: web", "Required-Start:    $network", "  $syslog", "required-start: kept",
                            "X-Stop-After: db", "Default-Start: 2"});
    const QVariantList payload{
        QVariantMap{{"keyword", "Required-Stop"}, {"dependencies", QVariantList()}},
        QVariantMap{{"keyword", "Should-Start"},
                    {"dependencies", QVariantList{dependency("nfs-common", true), dependency("$network", false)}}}};

    QVERIFY(write_override(Service("web"), payload, remove_deps, nullptr, add_deps));
    QCOMPARE(override_file(root, "web"),
             begin_line + "# Provides: web\n# $syslog\n# required-start: kept\n# Default-Start: 2\n"
                 + "# Required-Stop:\n# Should-Start: +nfs-common $network\n" + end_line);
}

void TestOverrideWriter::overrides_are_found_and_removed()
{
    TestRoot root;
    QVERIFY(!override_exists(Service("cron")));
    QVERIFY(!remove_override(Service("cron")));
    QVERIFY(store_override(Service("cron"), {"### BEGIN INIT INFO", "### END INIT INFO"}));
    QCOMPARE(override_file(root, "cron"), begin_line + end_line);
    QVERIFY(override_exists(Service("cron")));
    QVERIFY(remove_override(Service("cron")));
    QVERIFY(!override_exists(Service("cron")));
}

void TestOverrideWriter::unsafe_names_never_become_paths_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("dot") << ".";
    QTest::newRow("dot dot") << "..";
    QTest::newRow("path into the scripts") << "../../init.d/cron";
}

void TestOverrideWriter::unsafe_names_never_become_paths()
{
    QFETCH(QString, name);
    TestRoot root;
    root.add_script("cron", {"Default-Start: 2"});
    const QByteArray script = root.read_file("etc/init.d/cron");

    QVERIFY(!write_override(Service(name), level_payload("2", "K"), override_level, nullptr, nullptr));
    QVERIFY(!store_override(Service(name), {"### BEGIN INIT INFO"}));
    QVERIFY(!remove_override(Service(name)));
    QVERIFY(!override_exists(Service(name)));
    QCOMPARE(root.read_file("etc/init.d/cron"), script);
    QVERIFY(QDir(root.path("etc/insserv/overrides")).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void TestOverrideWriter::missing_overrides_directory_writes_nothing()
{
    TestRoot root;
    root.add_script("cron", {"Default-Start: 2"});
    QVERIFY(QDir(root.path("etc/insserv/overrides")).removeRecursively());

    for (const auto &attempt : QList<std::function<void()>>{
             [] { write_override(Service("cron"), level_payload("2", "K"), override_level, nullptr, nullptr); },
             [] { remove_override(Service("cron")); },
             [] { TestTable().run_insserv(Service("cron"), "2", "K", false, false); }}) {
        try {
            attempt();
            QFAIL("no error for a missing overrides directory");
        } catch (const InsservError &error) {
            QCOMPARE(error.title(), QStringLiteral("Error"));
            QCOMPARE(error.message(), overrides_error(root));
        }
    }
    QVERIFY(!override_exists(Service("cron")));
    QVERIFY(!QFileInfo::exists(root.path("etc/insserv/overrides")));
}

void TestOverrideWriter::failed_write_keeps_the_old_override_data()
{
    QTest::addColumn<bool>("target_is_directory");
    QTest::newRow("write fails") << false;
    QTest::newRow("file cannot be created") << true;
}

void TestOverrideWriter::failed_write_keeps_the_old_override()
{
    QFETCH(bool, target_is_directory);
    TestRoot root;
    root.add_script("cron", {"Provides: cron", "Default-Start: 2 3 4 5", "Default-Stop: 0 1 6"});
    if (target_is_directory)
        QVERIFY(QDir().mkpath(root.path("etc/insserv/overrides/cron/old")));
    else
        root.add_override("cron", {"Default-Start: 2"});
    const QStringList entries = QDir(root.path("etc/insserv/overrides")).entryList(QDir::AllEntries | QDir::Hidden);
    const QByteArray old = override_file(root, "cron");

    TestTable table;
    try {
        const FileSizeLimit limit(8);
        table.run_insserv(Service("cron"), "2", "K", false, false);
        QFAIL("a failed write was reported as success");
    } catch (const InsservError &error) {
        QCOMPARE(error.message(), QStringLiteral("Error while creating override file"));
    }
    QCOMPARE(override_file(root, "cron"), old);
    QCOMPARE(QDir(root.path("etc/insserv/overrides")).entryList(QDir::AllEntries | QDir::Hidden), entries);
    QCOMPARE(QFileInfo(root.path("etc/insserv/overrides/cron")).isDir(), target_is_directory);
}

QTEST_MAIN(TestOverrideWriter)
#include "tst_override_writer.moc"
