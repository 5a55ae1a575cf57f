#include "apply/override_writer.h"
#include "catalogue/service_info.h"
#include "catalogue/system_paths.h"
#include "catalogue/test_hooks.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"
#include "tests/support/test_table.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString overrides = QStringLiteral("etc/insserv/overrides/");

// Runs the operation, answering a message box with Ok, and returns its "title: text";
// any further box is closed and shows up as its title.
QStringList answered(const std::function<void()> &operation)
{
    ModalWatcher watcher;
    watcher.expect_message(QMessageBox::Ok);
    operation();
    for (int box = 0; box < watcher.texts.size(); ++box)
        watcher.unexpected.insert(box, watcher.titles.at(box) + ": " + watcher.texts.at(box));
    return watcher.unexpected;
}

// Prepares the table and the root, step by step; true when a reset is prepared.
//   "+ssh", "-ssh"        enable, disable the service
//   "@cron 2 K", "@cron 2" set runlevel 2 to K, to no mark
//   "~ssh"                hide the service's row
//   "#ssh"                select its name cell for a reset; a further "#" step adds
//                         to the selection, any other step starts from none
//   "!ssh exit 1: busy"   fake insserv exits 1 for ssh, "busy" on standard error;
//                         also "!cron crash", "!cron hang", "!no insserv"
//   "!cron directory"     a non-empty directory stands where cron's override goes
//   "!no overrides directory"
bool prepare(TestRoot &root, TestTable &table, const QStringList &steps)
{
    bool reset = false;
    for (const QString &step : steps) {
        const QString name = step.mid(1).section(' ', 0, 0), argument = step.section(' ', 1);
        if (!step.startsWith('#') || !reset)
            table.clearSelection();
        if (step.startsWith('+') || step.startsWith('-')) {
            table.cell(name, 1)->setSelected(true);
            table.switch_services_state(step.startsWith('+'));
        } else if (step.startsWith('@')) {
            table.level_cell(name, argument.section(' ', 0, 0))->setSelected(true);
            table.switch_services_runlevels(argument.section(' ', 1));
        } else if (step.startsWith('~')) {
            table.setRowHidden(table.row_of(name), true);
        } else if (step.startsWith('#')) {
            table.cell(name, 0)->setSelected(true);
            reset = true;
        } else if (step == "!no overrides directory") {
            QDir(root.path(overrides)).removeRecursively();
        } else if (step == "!no insserv") {
            root.insserv().remove_program();
        } else if (argument == "directory") {
            QDir().mkpath(root.path(overrides + name + "/keep"));
        } else {
            root.insserv().set_behaviour(name, argument.section(": ", 0, 0));
            root.insserv().set_stderr(name, argument.section(": ", 1));
        }
    }
    return reset;
}

// The same read from the links: "." on a runlevel without one, "?" for several.
QString links(const TestRoot &root, const QString &name)
{
    QString kinds;
    for (const QString &level : all_runlevels()) {
        const QStringList found = QDir(root.path("etc/rc" + level + ".d")).entryList({"[SK]??" + name}, QDir::Files);
        kinds += found.size() > 1 ? "?" : found.join("").left(1).leftJustified(1, '.');
    }
    return kinds;
}

// Per row: the service, "on" or "off", its mark on each runlevel ("." for none),
// then its links.
QStringList configuration(const TestRoot &root, const TestTable &table)
{
    QStringList result;
    for (int row = 0; row < table.rowCount(); ++row) {
        const QString name = table.item(row, 0)->text();
        QString line = name + (table.item(row, 1)->text() == ServiceTable::disabled_mark ? " off " : " on ");
        for (int column = TestTable::column_of("S"); column <= TestTable::column_of("0"); ++column)
            line += table.item(row, column)->data(ServiceTable::MarkRole).toString().leftJustified(1, '.');
        result << line + ' ' + links(root, name);
    }
    return result;
}

} // namespace

class TestApply : public QObject
{
    Q_OBJECT

private slots:
    void override_format_data();
    void override_format();
    void unsafe_names_never_become_paths();
    void interrupted_write_keeps_the_old_override();
    void apply_and_reset_data();
    void apply_and_reset();
    void real_insserv_makes_the_links();
    void headers_read_back_unchanged();
};

void TestApply::override_format_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("writes"); // "2=K" for a runlevel, "Should-Start=+a b" for dependencies
    QTest::addColumn<QStringList>("override");
    QTest::newRow("alignment blanks dropped, two level writes accumulate")
        << QStringList{"Default-Start:     2 3 4 5", "Default-Stop:      0 1 6"} << QStringList{"2=K", "5="}
        << QStringList{"Default-Start: 3 4", "Default-Stop: 0 1 2 6"};
    QTest::newRow("continuation line kept in place")
        << QStringList{"Description: runs", "  scheduled jobs", "Default-Start: 2"} << QStringList{"3=S"}
        << QStringList{"Description: runs", "scheduled jobs", "Default-Start: 2 3"};
    QTest::newRow("missing Default-Start not created, emptied field keeps one blank")
        << QStringList{"Default-Stop: 2"} << QStringList{"2=S"} << QStringList{"Default-Stop: "};
    QTest::newRow("dependencies replaced at the end, continuation of a dropped field kept")
        << QStringList{"Required-Start: $network", "  $syslog", "Default-Start: 2"}
        << QStringList{"Required-Stop=", "Should-Start=+nfs-common $network"}
        << QStringList{"$syslog", "Default-Start: 2", "Required-Stop:", "Should-Start: +nfs-common $network"};
}

void TestApply::override_format()
{
    QFETCH(QStringList, script);
    QFETCH(QStringList, writes);
    QFETCH(QStringList, override);
    TestRoot root;
    root.add_script("svc", script);
    // Runlevels are written one by one; all dependency fields in one write at the end.
    QVariantList dependencies;
    for (const QString &write : writes) {
        const QString field = write.section('=', 0, 0), value = write.section('=', 1);
        QVariantList names;
        for (const QString &name : value.split(' ', Qt::SkipEmptyParts))
            names << QVariantMap{{"service name", QString(name).remove('+')}, {"is optional", name.startsWith('+')}};
        if (field.size() > 1)
            dependencies << QVariantMap{{"keyword", field}, {"dependencies", names}};
        else
            TestTable().run_insserv(Service("svc"), field, value, false, false);
    }
    if (!dependencies.isEmpty())
        QVERIFY(write_override(Service("svc"), dependencies, remove_deps, nullptr, add_deps));
    QCOMPARE(root.read_file(overrides + "svc"), TestRoot::header(override));
}

void TestApply::unsafe_names_never_become_paths()
{
    TestRoot root;
    root.add_script("cron", {"Default-Start: 2"});
    const QByteArray script = root.read_file("etc/init.d/cron");
    for (const char *name : {"", ".", "..", "../../init.d/cron"}) {
        QVERIFY(!write_override(Service(name), QVariantMap{{"level", "2"}, {"value", "K"}}, override_level, nullptr,
                                nullptr));
        QVERIFY(!remove_override(Service(name)));
        QVERIFY(!override_exists(Service(name)));
    }
    QCOMPARE(root.read_file("etc/init.d/cron"), script);
}

// A full disk stops the write halfway (root ignores permissions, so a file size
// limit stands in for it): the old override must stay whole and nothing else appear.
void TestApply::interrupted_write_keeps_the_old_override()
{
    TestRoot root;
    root.add_script("cron", {});
    root.add_override("cron", {"Description: " + QString(4000, 'x'), "Default-Start: 2"});
    const QByteArray before = root.read_file(overrides + "cron");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 1024;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    const bool written = write_override(Service("cron"), QVariantMap{{"level", "2"}, {"value", "K"}}, override_level,
                                        nullptr, nullptr);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    QVERIFY(!written);
    QCOMPARE(root.read_file(overrides + "cron"), before);
    QCOMPARE(QDir(root.path(overrides)).entryList(QDir::Files | QDir::Hidden), QStringList{"cron"});
}

// Steps, calls of the fake insserv, message boxes ("title: text") and the entries
// left in the overrides directory, each joined by ", ".
void TestApply::apply_and_reset_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("calls");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("overrides_left");
    const QString applied = "Result: Changes are applied";
    const QString failed = "Error: An error has occured on processing \"%1\"  service%2";
    // The worked example, plus charlie disabled to make ssh the second of three.
    const QString failing = "@cron 2 K, -ssh, -charlie, +rsync, ";

    QTest::newRow("worked example: cron level 2 K, ssh disabled, rsync enabled")
        << "@cron 2 K, -ssh, +rsync" << "--remove --force cron, cron, --remove ssh, rsync" << applied << "abel, cron";
    QTest::newRow("remove 30, remove 3, register 2, register 20")
        << "+alpha, -ssh, +delta, -charlie" << "--remove charlie, --remove ssh, delta, alpha" << applied << "abel";
    QTest::newRow("disabled and edited in level 2 ends unregistered")
        << "@cron 2, -cron" << "--remove --force cron, cron, --remove cron" << applied << "abel, cron";
    QTest::newRow("hidden row not run, service without links edited stays off")
        << "-cron, -ssh, @ssh 2 K, ~ssh, @rsync 3 K" << "--remove --force rsync, --remove cron" << applied
        << "abel, rsync";
    QTest::newRow("equal sequences in reverse name order, unlisted service last")
        << "+abel, +delta, +rsync, -ssh" << "--remove ssh, rsync, delta, abel" << applied << "abel";
    QTest::newRow("nothing pending") << "" << "" << applied << "abel";

    QTest::newRow("missing overrides directory") << failing + "!no overrides directory" << ""
        << "Error: Overrides directory \"<root>/etc/insserv/overrides\" does not exist." << "";
    QTest::newRow("override cannot be written")
        << failing + "!cron directory" << "" << "Error: Error while creating override file" << "abel, cron";
    QTest::newRow("insserv missing")
        << failing + "!no insserv" << "" << failed.arg("cron", ": insserv error") << "abel, cron";
    QTest::newRow("exit 3, no error output")
        << failing + "!cron exit 3" << "--remove --force cron" << failed.arg("cron", "!") << "abel, cron";
    QTest::newRow("exit 1 with error output, second of three service changes") << failing + "!ssh exit 1: busy"
        << "--remove --force cron, cron, --remove charlie, --remove ssh" << failed.arg("ssh", ": busy") << "abel, cron";
    QTest::newRow("crash")
        << failing + "!cron crash" << "--remove --force cron" << failed.arg("cron", "!") << "abel, cron";
    QTest::newRow("never finishes")
        << failing + "!cron hang" << "--remove --force cron" << failed.arg("cron", ": insserv error") << "abel, cron";

    QTest::newRow("reset without override")
        << "#cron" << "--remove --force cron, cron" << "Result: Reset is completed" << "abel";
    QTest::newRow("reset with an undeletable override")
        << "!ssh directory, #ssh, #abel" << "" << "Error: Error while resetting service settings" << "abel, ssh";
}

// Listed services start on 2 to 5 and stop on 0, 1 and 6 with one sequence
// number, "linked" ones have links; abel has an override but is not listed.
void TestApply::apply_and_reset()
{
    QFETCH(QString, steps);
    QFETCH(QString, calls);
    QFETCH(QString, boxes);
    QFETCH(QString, overrides_left);
    test_hooks::set_process_timeout(300);
    TestRoot root;
    QStringList listing;
    for (const QString &entry :
         QStringList{"cron 2 linked", "ssh 3 linked", "charlie 30 linked", "delta 2", "rsync 2", "alpha 20"}) {
        const QString name = entry.section(' ', 0, 0), number = entry.section(' ', 1, 1).rightJustified(2, '0');
        root.add_script(name, {"Provides: " + name, "Default-Start: 2 3 4 5", "Default-Stop: 0 1 6"});
        listing << "S:" + number + ":2 3 4 5:" + name << "K:" + number + ":0 1 6:" + name;
        if (entry.endsWith("linked"))
            root.add_link("2", "S" + number + name);
    }
    root.add_script("abel", {"Default-Start: 2"});
    root.add_override("abel", {"Default-Start: 2"});
    root.insserv().set_listing(listing);
    TestTable table;
    QVERIFY(table.load());
    root.insserv().clear_calls();

    const bool reset = prepare(root, table, steps.split(", ", Qt::SkipEmptyParts));
    QCOMPARE(answered([&] { reset ? table.reset_services_defaults() : table.apply_changes(); }).join(", "),
             boxes.replace("<root>", root.path()));
    QCOMPARE(root.insserv().calls().join(", "), calls);
    // A directory standing for an override is still there.
    QCOMPARE(QDir(root.path(overrides)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(", "), overrides_left);
}

void TestApply::real_insserv_makes_the_links()
{
    if (!QFileInfo("/sbin/insserv").isExecutable())
        QSKIP("/sbin/insserv is not installed (Debian package insserv)");
    test_hooks::set_process_timeout(30000);
    TestRoot root;
    QVERIFY2(!root.path().contains('\''), "the root's path cannot be quoted for the shell");
    // Replaces both fakes. Every path of insserv points into the root: without -i it
    // would write its dependency files into the host's own /etc/init.d.
    const QString wrapper = QStringLiteral("#!/bin/sh\nexec /sbin/insserv -p '%1/etc/init.d' -c '%1/etc/insserv.conf'"
                                           " -o '%1/etc/insserv/overrides' -i '%1/etc/init.d' \"$@\"\n")
                                .arg(root.path());
    for (const char *program : {"sbin/insserv", "bin/insserv"}) {
        root.write_file(program, wrapper.toUtf8());
        QVERIFY(QFile::setPermissions(root.path(program), QFile::ReadOwner | QFile::ExeOwner));
    }
    // $local_fs is the virtual facility of mountall; webapp requires database, so
    // insserv refuses to register webapp first.
    root.write_config("$local_fs +mountall\n");
    for (const QString &script :
         QStringList{"mountall|", "cron|$local_fs", "ssh|$local_fs", "database|$local_fs", "webapp|database"}) {
        const QString name = script.section('|', 0, 0), needs = script.section('|', 1);
        root.add_script(name, {"Provides: " + name, "Required-Start: " + needs, "Required-Stop: " + needs,
                               "Default-Start: 2 3 4 5", "Default-Stop: 0 1 6"});
        QVERIFY(QFile::setPermissions(root.path("etc/init.d/" + name), QFile::ReadOwner | QFile::ExeOwner));
    }
    QCOMPARE(QProcess::execute(root.path("sbin/insserv"), {"mountall", "cron", "ssh"}), 0);

    TestTable before;
    QCOMPARE(answered([&] { QVERIFY(before.load()); }), QStringList());
    prepare(root, before, {"@cron 2 K", "@cron 5", "-ssh", "+webapp", "+database"});
    QCOMPARE(answered([&] { before.apply_changes(); }), QStringList{"Result: Changes are applied"});
    QCOMPARE(root.read_file(overrides + "cron"),
             TestRoot::header({"Provides: cron", "Required-Start: $local_fs", "Required-Stop: $local_fs",
                               "Default-Start: 3 4", "Default-Stop: 0 1 2 6"}));
    TestTable after;
    QCOMPARE(answered([&] { after.load(); }), QStringList());
    QCOMPARE(configuration(root, after),
             QStringList({"cron on .KKSS.KK .KKSS.KK", "database on .KSSSSKK .KSSSSKK", "mountall on .KSSSSKK .KSSSSKK",
                          "ssh off .KSSSSKK ........", "webapp on .KSSSSKK .KSSSSKK"}));

    prepare(root, after, {"#cron"});
    QCOMPARE(answered([&] { after.reset_services_defaults(); }), QStringList{"Result: Reset is completed"});
    QVERIFY(QDir(root.path(overrides)).isEmpty());
    QCOMPARE(links(root, "cron"), QStringLiteral(".KSSSSKK"));
}

// A header written back as an override with no change reads back the same, even
// a comment whose text holds a colon.
void TestApply::headers_read_back_unchanged()
{
    TestRoot root;
    root.write_file("etc/init.d/svc", "### BEGIN INIT INFO\n# Description: runs\n#see: x\n#  : y\n# Provides : z\n"
                                      "# Should-Stop:\n### END INIT INFO\n");
    const ServiceInfo before("svc");
    QVERIFY(write_override(Service("svc"), QVariant(), nullptr, nullptr, nullptr));
    const ServiceInfo after("svc");
    QVERIFY(after.lines == before.lines && after.fields == before.fields);
}

QTEST_MAIN(TestApply)
#include "tst_apply.moc"
