#include "apply/override_writer.h"
#include "apply/plan_text.h"
#include "catalogue/system_paths.h"
#include "catalogue/test_hooks.h"
#include "tests/support/fixture.h"

#include <csignal>
#include <sys/resource.h>

namespace {

const QString overrides = QStringLiteral("etc/insserv/overrides/");
const QString relinked = QStringLiteral("insserv --dryrun %1, insserv --remove --force %1, insserv %1");

// The plain fixture: a service, its sequence number (-1: not listed) and the kind of its link in
// each of the runlevels S, 1 to 6 and 0. Every script starts in 2 to 5 and stops in 0, 1 and 6,
// but halt, which only stops in 0. A service without a start link is disabled.
const QList<std::tuple<QString, int, QString>> fixture{
    {"cron", 2, ".KSSSSKK"}, {"ssh", 3, ".KSSSSKK"}, {"charlie", 30, ".KSSSSKK"}, {"delta", 2, "........"},
    {"rsync", 2, "........"}, {"alpha", 20, "........"}, {"echo", 40, ".KKKKKKK"}, {"odd", 5, ".K....KK"},
    {"halt", 1, ".......K"}, {"abel", -1, "........"}};

SystemFacts install_fixture(TestRoot &root)
{
    SystemFacts facts;
    QStringList listing;
    for (const auto &[name, sequence, links] : fixture) {
        const QString levels = name == "halt" ? "Default-Stop: 0" : "Default-Start: 2 3 4 5";
        root.add_script(name, {"Provides: " + name, levels, name == "halt" ? "" : "Default-Stop: 0 1 6"});
        ServiceFacts &known = facts[name];
        known.listed = sequence >= 0;
        known.sequence = quint16(std::max(sequence, 0));
        for (int level = 0; level < links.size(); ++level) {
            if (links.at(level) == '.')
                continue;
            known.link_kinds.insert(all_runlevels().at(level), links.at(level));
            root.add_links(all_runlevels().at(level), links.at(level) + QString::number(sequence + 100).right(2) + name);
        }
        if (known.listed)
            listing << QStringLiteral("S:%1:2 3 4 5:%2").arg(sequence + 100).arg(name).remove(2, 1);
        known.linked = !known.link_kinds.isEmpty();
        known.disabled = !links.contains('S') && name != "halt";
    }
    root.add_override("abel", {"Default-Start: 2"});
    root.set_listing(listing);
    return facts;
}

// "Should-Start=+nfs $network" as the dependency edit's payload.
QVariantList dependency_payload(const QString &edit)
{
    QVariantList names;
    for (const QString &name : edit.section('=', 1).split(' ', Qt::SkipEmptyParts))
        names << QVariantMap{{"service name", QString(name).remove('+')}, {"is optional", name.startsWith('+')}};
    return {QVariantMap{{"keyword", edit.section('=', 0, 0)}, {"dependencies", names}}};
}

// "@cron 2 K" sets runlevel 2 to K ("@cron 2" to no mark), "-ssh" disables, "+rsync" enables,
// "#cron" resets, "&cron Should-Start=+nfs $network" edits a dependency field.
ApplyPlan plan_of(const QString &steps, const SystemFacts &facts)
{
    ChangeMap changes;
    QStringList reset;
    for (const QString &step : steps.split(", ", Qt::SkipEmptyParts)) {
        const QString name = step.mid(1).section(' ', 0, 0), argument = step.section(' ', 1);
        if (step.startsWith('&'))
            return plan_dependencies(name, dependency_payload(argument), facts);
        if (step.startsWith('#'))
            reset << name;
        else if (step.startsWith('@'))
            changes.insert({Service(name), argument.section(' ', 0, 0)}, argument.section(' ', 1));
        else
            changes.insert({Service(name), QString()}, step.left(1) == "+" ? "S" : "K");
    }
    return reset.isEmpty() ? plan_changes(changes, facts) : plan_reset(reset, facts);
}

QString describe(const QList<PlanStep> &steps)
{
    QStringList names;
    for (const PlanStep &step : steps)
        names << (step.kind == PlanStep::Run ? QFileInfo(step.program).fileName() + ' ' + step.arguments.join(' ')
                                             : (step.kind == PlanStep::WriteOverride ? "write " : "delete ") + step.service);
    return names.join(", ");
}

// Message texts on one line, with programs and overrides by their names alone.
QString one_line(QString text, const TestRoot &root)
{
    return text.replace(root.path(), "").replace(QRegularExpression("\\S*/(etc/insserv/overrides/|s?bin/)"), "")
        .replace('\n', "; ");
}

// Runs the operation, answering a message box with Ok; returns its "title: text" and, after a
// " | ", its details. Any further box shows up as its title.
QString answered(const TestRoot &root, const std::function<void()> &operation)
{
    ModalWatcher watcher;
    watcher.expect_message(QMessageBox::Ok);
    operation();
    QStringList boxes;
    for (int box = 0; box < watcher.texts.size(); ++box)
        boxes << watcher.titles.at(box) + ": " + watcher.texts.at(box)
                + (watcher.details.at(box).isEmpty() ? "" : " | " + watcher.details.at(box));
    return one_line((boxes + watcher.unexpected).join(", "), root);
}

// Writes stop at that many bytes, as on a full disk (root ignores permissions).
template <typename Operation> auto with_file_size_limit(rlim_t bytes, Operation operation)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited{bytes, saved.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    const auto result = operation();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    return result;
}

// The kind of the service's link in each runlevel, "." for none.
QString links(const TestRoot &root, const QString &name)
{
    QString kinds;
    for (const QString &level : all_runlevels()) {
        const QStringList found = QDir(root.path("etc/rc" + level + ".d")).entryList({"[SK]??" + name}, QDir::Files);
        kinds += found.size() > 1 ? "?" : found.join("").left(1).leftJustified(1, '.');
    }
    return kinds;
}

// Replaces both fakes by the real insserv with every path pointing into the root: without -i
// it would write its dependency files into the host's own /etc/init.d. The scripts are
// "NAME|REQUIRED[|START LEVELS]", by default started on 2 to 5, stopped on 0, 1 and 6.
void use_real_insserv(TestRoot &root, const QString &config, const QStringList &scripts)
{
    QVERIFY2(!root.path().contains('\''), "the root's path cannot be quoted for the shell");
    const QString wrapper = QStringLiteral("#!/bin/sh\nexec /sbin/insserv -p '%1/etc/init.d' -c '%1/etc/insserv.conf'"
                                           " -o '%1/etc/insserv/overrides' -i '%1/etc/init.d' \"$@\"\n");
    root.write_file("sbin/insserv", wrapper.arg(root.path()).toUtf8(), true);
    root.write_file("bin/insserv", wrapper.arg(root.path()).toUtf8(), true);
    root.write_file("etc/insserv.conf", config.toUtf8());
    for (const QString &script : scripts) {
        const QString name = script.section('|', 0, 0), needs = script.section('|', 1, 1);
        root.add_script(name, {"Provides: " + name, "Required-Start: " + needs, "Required-Stop: " + needs,
                               "Default-Start: " + (script.count('|') > 1 ? script.section('|', 2) : "2 3 4 5"),
                               "Default-Stop: 0 1 6"});
    }
}

bool real_insserv_missing()
{
    test_hooks::set_process_timeout(30000);
    return !QFileInfo("/sbin/insserv").isExecutable();
}

} // namespace

class TestApply : public QObject
{
    Q_OBJECT

private slots:
    void override_format_data()
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
        QTest::newRow("missing fields are added, emptied field keeps one blank")
            << QStringList{"Default-Stop: 2"} << QStringList{"2=S", "4=K"}
            << QStringList{"Default-Stop:  4", "Default-Start: 2"};
        QTest::newRow("dependencies replaced at the end, continuation of a dropped field kept")
            << QStringList{"Required-Start: $network", "  $syslog", "Default-Start: 2"}
            << QStringList{"Required-Stop=", "Should-Start=+nfs-common $network"}
            << QStringList{"$syslog", "Default-Start: 2", "Required-Stop:", "Should-Start: +nfs-common $network"};
    }

    // Runlevels are written one by one, as the table's own runs do; dependencies in one write.
    void override_format()
    {
        QFETCH(QStringList, script);
        QFETCH(QStringList, writes);
        QFETCH(QStringList, override);
        TestRoot root;
        root.add_script("svc", script);
        QVariantList dependencies;
        for (const QString &write : writes) {
            if (write.indexOf('=') > 1)
                dependencies += dependency_payload(write);
            else
                TestTable().run_insserv(Service("svc"), write.section('=', 0, 0), write.section('=', 1), false, false);
        }
        if (!dependencies.isEmpty())
            QVERIFY(write_override(Service("svc"), dependencies, remove_deps, nullptr, add_deps));
        QCOMPARE(root.read_file(overrides + "svc"), TestRoot::header(override));
    }

    // Names that are not file names never become paths, nor is a symbolic link followed out of the
    // overrides.
    void writes_stay_inside_the_overrides_and_whole()
    {
        TestRoot root;
        root.add_script("cron", {"Default-Start: 2"});
        const QByteArray script = root.read_file("etc/init.d/cron");
        const QVariantMap change{{"level", "2"}, {"value", "K"}};
        for (const char *name : {"", ".", "..", "../../init.d/cron"}) {
            QVERIFY(!write_override(Service(name), change, override_level, nullptr, nullptr));
            QVERIFY(!remove_override(Service(name)) && !override_exists(Service(name)));
        }
        QVERIFY(QFile::link("../../init.d/cron", root.path(overrides + "cron")));
        QVERIFY(!write_override(Service("cron"), change, override_level, nullptr, nullptr));
        QCOMPARE(root.read_file("etc/init.d/cron"), script);
    }

    void plans_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("plan");
        QTest::newRow("worked example: cron level 2 K, ssh disabled, rsync enabled") << "@cron 2 K, -ssh, +rsync"
            << "write cron, " + relinked.arg("cron") + ", update-rc.d ssh disable, insserv rsync";
        QTest::newRow("three levels of one service: three writes, one removal and registration")
            << "@cron 2 K, @cron 3 K, @cron 4" << "write cron, write cron, write cron, " + relinked.arg("cron");
        QTest::newRow("disabled and edited in level 2 ends disabled")
            << "@cron 2, -cron" << "write cron, " + relinked.arg("cron") + ", update-rc.d cron disable";
        QTest::newRow("remove 30, remove 3, register 2, register 20") << "+alpha, -ssh, +delta, -charlie"
            << "update-rc.d charlie disable, update-rc.d ssh disable, insserv delta, insserv alpha";
        QTest::newRow("equal sequences in reverse map order, unlisted service last")
            << "+abel, +delta, +rsync, -ssh" << "update-rc.d ssh disable, insserv rsync, insserv delta, insserv abel";
        QTest::newRow("service without links edited is written and removed only")
            << "@rsync 3 K" << "write rsync, insserv --remove --force rsync";
        QTest::newRow("a disabled service edited stays disabled")
            << "@echo 3 K" << "write echo, " + relinked.arg("echo") + ", update-rc.d echo disable";
        QTest::newRow("enabling turns its stop links back into start links") << "+echo" << "update-rc.d echo enable";
        QTest::newRow("enabling without stop links where it starts registers afresh")
            << "+odd" << "insserv --remove --force odd, insserv odd";
        QTest::newRow("a script that only stops is removed") << "-halt" << "insserv --remove halt";
        QTest::newRow("reset: dry runs, removals from the top, registrations from the bottom, unlisted last")
            << "#ssh, #abel, #cron, #ssh"
            << "delete abel, insserv --dryrun cron, insserv --dryrun ssh, insserv --dryrun abel, insserv --remove "
               "--force ssh, insserv --remove --force cron, insserv --remove --force abel, insserv cron, insserv ssh, "
               "insserv abel";
        QTest::newRow("dependencies of a disabled linked service")
            << "&echo Should-Start=+nfs" << "write echo, " + relinked.arg("echo") + ", update-rc.d echo disable";
        QTest::newRow("dependencies of a service without links are only checked")
            << "&rsync Required-Start=" << "write rsync, insserv --dryrun rsync";
    }

    // Plans are made, not carried out.
    void plans()
    {
        QFETCH(QString, steps);
        TestRoot root;
        QTEST(describe(plan_of(steps, install_fixture(root)).steps), "plan");
        QCOMPARE(QDir(root.path(overrides)).entryList(QDir::Files), QStringList{"abel"});
    }

    void failures_roll_back_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("failing"); // the command that fails once; a directory takes its override's place
        QTest::addColumn<QString>("ran");
        QTest::addColumn<QString>("outcome"); // the error, then the details
        QTest::addColumn<QString>("overrides_left");
        QTest::newRow("dry run refused: nothing removed, nothing registered")
            << "@cron 2 K, -ssh" << "insserv --dryrun cron" << "insserv --dryrun cron"
            << "cron: loop | Done:; Written: cron; ; Restored:; Deleted: cron" << "abel";
        QTest::newRow("registration refused after the dry run: back and registered again")
            << "@cron 2 K, @ssh 3" << "insserv ssh"
            << "insserv --dryrun cron, insserv --dryrun ssh, insserv --remove --force ssh, insserv --remove --force "
               "cron, insserv cron, insserv ssh, insserv ssh"
            << "ssh: loop | Done:; Written: ssh; Written: cron; insserv --dryrun cron; insserv --dryrun ssh; insserv "
               "--remove --force ssh; insserv --remove --force cron; insserv cron; ; Restored:; Deleted: ssh; "
               "insserv ssh"
            << "abel, cron";
        QTest::newRow("second disable fails: the first stays, the second is registered again")
            << "-ssh, -charlie" << "update-rc.d ssh disable"
            << "update-rc.d charlie disable, update-rc.d ssh disable, insserv ssh"
            << "ssh: loop | Done:; update-rc.d charlie disable; ; Restored:; insserv ssh" << "abel";
        QTest::newRow("a disabled service is disabled again")
            << "@echo 3 K" << "insserv echo" << relinked.arg("echo") + ", insserv echo, update-rc.d echo disable"
            << "echo: loop | Done:; Written: echo; insserv --dryrun echo; insserv --remove --force echo; ; Restored:; "
               "Deleted: echo; insserv echo; update-rc.d echo disable"
            << "abel";
        QTest::newRow("an override that cannot be restored is named")
            << "#abel" << "insserv --remove --force abel" << "insserv --dryrun abel, insserv --remove --force abel"
            << "abel: loop | Done:; Deleted: abel; insserv --dryrun abel; ; Not restored:; abel: Overrides directory "
               "\"/etc/insserv/overrides\" does not exist."
            << "-";
        QTest::newRow("reset: a registration fails, every override comes back")
            << "#abel, #cron" << "insserv cron"
            << "insserv --dryrun cron, insserv --dryrun abel, insserv --remove --force cron, insserv --remove --force "
               "abel, insserv cron, insserv cron"
            << "cron: loop | Done:; Deleted: abel; insserv --dryrun cron; insserv --dryrun abel; insserv --remove "
               "--force cron; insserv --remove --force abel; ; Restored:; Restored: abel; insserv cron"
            << "abel";
        QTest::newRow("the disk is full: nothing is written, nothing runs")
            << "@abel 3 K, -ssh" << "full disk" << "" << "Error while creating override file | " << "abel";
        QTest::newRow("a write fails: earlier writes are undone, nothing runs")
            << "@ssh 3, @cron 2 K" << "cron" << ""
            << "Error while creating override file | Done:; Written: ssh; ; Restored:; Deleted: ssh" << "abel, cron";
    }

    // The fake runner fails the given command once, printing "loop"; a failing removal also takes
    // the overrides directory away. Whatever happens, abel's override is either gone or as it was,
    // and no temporary file is left.
    void failures_roll_back()
    {
        QFETCH(QString, steps);
        QFETCH(QString, failing);
        TestRoot root;
        const ApplyPlan plan = plan_of(steps, install_fixture(root));
        if (!failing.contains(' '))
            QDir().mkpath(root.path(overrides + failing + "/keep"));
        QStringList ran;
        const ProcessRunner runner = [&](const QString &program, const QStringList &arguments) {
            ran << QFileInfo(program).fileName() + ' ' + arguments.join(' ');
            if (ran.last() != failing)
                return ProcessResult{true, true, false, 0, {}};
            failing.clear();
            if (arguments.contains("--remove"))
                QDir(root.path(overrides)).removeRecursively();
            return ProcessResult{true, true, false, 1, "loop"};
        };
        const QByteArray abel = root.read_file(overrides + "abel");
        const PlanOutcome outcome = with_file_size_limit(failing == "full disk" ? 16 : RLIM_INFINITY,
                                                         [&] { return execute_plan(plan, runner); });
        QTEST(ran.join(", "), "ran");
        QVERIFY(!QFile::exists(root.path(overrides + "abel")) || root.read_file(overrides + "abel") == abel);
        const QString error = outcome.error->message().replace("An error has occured on processing \"", "")
                                  .replace("\"  service: ", ": ");
        QTEST(one_line(error + " | " + outcome_details(outcome), root), "outcome");
        const QDir left(root.path(overrides));
        QTEST(left.exists() ? left.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(", ") : "-",
              "overrides_left");
    }

    // Megabytes of bytes that are not UTF-8 become a message that a box can show.
    void error_output_stays_readable()
    {
        const ProcessRunner flood = [](const QString &, const QStringList &) {
            return ProcessResult{true, true, false, 1, QByteArray(1 << 20, '\xff')};
        };
        const PlanOutcome outcome = execute_plan({{insserv_step("cron", "S", false, false)}, {}}, flood);
        QVERIFY(outcome.error->message().size() < 4200 && outcome.error->message().contains(QChar(0xfffd)));
    }

    void previews_show_diffs_and_commands()
    {
        TestRoot root;
        const SystemFacts facts = install_fixture(root);
        const auto preview = [&](const QString &steps) { return plan_preview(plan_of(steps, facts)).replace(root.path(), ""); };
        QCOMPARE(preview("@cron 2 K, -ssh"), "--- /etc/init.d/cron\n+++ /etc/insserv/overrides/cron\n@@ -1,5 +1,5 @@\n"
                                             " ### BEGIN INIT INFO\n # Provides: cron\n-# Default-Start: 2 3 4 5\n"
                                             "-# Default-Stop: 0 1 6\n+# Default-Start: 3 4 5\n+# Default-Stop: 0 1 2 6\n"
                                             " ### END INIT INFO\n\n/sbin/insserv --dryrun cron\n"
                                             "/sbin/insserv --remove --force cron\n/sbin/insserv cron\n"
                                             "/usr/sbin/update-rc.d ssh disable");
        QCOMPARE(preview("&abel Required-Start=ssh"),
                 "--- /etc/insserv/overrides/abel\n+++ /etc/insserv/overrides/abel\n@@ -1,3 +1,4 @@\n"
                 " ### BEGIN INIT INFO\n # Default-Start: 2\n+# Required-Start: ssh\n ### END INIT INFO\n\n"
                 "/sbin/insserv --dryrun abel");
        QCOMPARE(preview("#abel"), "/etc/insserv/overrides/abel: override deleted\n\n/sbin/insserv --dryrun abel\n"
                                   "/sbin/insserv --remove --force abel\n/sbin/insserv abel");
    }

    // Steps as for plans, plus "~ssh" hiding the service's row (hidden rows take part) and
    // "!KEY BEHAVIOUR" for the fake insserv ("!=cron exit 1" acts on "insserv cron" only),
    // "!cron directory" and "!no overrides directory". The outcome: the calls, then the boxes.
    void table_applies_and_resets_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("boxes");
        const QString failed = "Error: An error has occured on processing \"%1\"  service%2";
        QTest::newRow("worked example, hidden rows applied")
            << "@cron 2 K, ~cron, -ssh, +rsync, ~rsync"
            << "--dryrun cron, --remove --force cron, cron, update-rc.d ssh disable, rsync"
            << "Result: Changes are applied | Done:; Written: cron; insserv --dryrun cron; insserv --remove --force "
               "cron; insserv cron; update-rc.d ssh disable; insserv rsync";
        QTest::newRow("registration fails after the dry run") << "@cron 2 K, !=--remove --force cron exit 3"
            << "--dryrun cron, --remove --force cron, cron"
            << failed.arg("cron", "!") + " | Done:; Written: cron; insserv --dryrun cron; ; Restored:; Deleted: "
                                         "cron; insserv cron";
        QTest::newRow("insserv never finishes") << "-ssh, !update-rc.d ssh hang" << "update-rc.d ssh disable, ssh"
            << failed.arg("ssh", ": update-rc.d error") + " | Restored:; insserv ssh";
        QTest::newRow("insserv missing") << "+rsync, !no insserv" << "" << failed.arg("rsync", ": insserv error");
        QTest::newRow("insserv killed by a signal") << "+rsync, !rsync crash" << "rsync" << failed.arg("rsync", "!");
        QTest::newRow("missing overrides directory") << "@cron 2 K, !no overrides directory" << ""
            << "Error: Overrides directory \"/etc/insserv/overrides\" does not exist.";
        QTest::newRow("reset") << "#cron, #abel"
            << "--dryrun cron, --dryrun abel, --remove --force cron, --remove --force abel, cron, abel"
            << "Result: Reset is completed | Done:; Deleted: abel; insserv --dryrun cron; insserv --dryrun abel; "
               "insserv --remove --force cron; insserv --remove --force abel; insserv cron; insserv abel";
        QTest::newRow("reset with an undeletable override")
            << "!ssh directory, #ssh, #abel" << "" << "Error: Error while resetting service settings";
    }

    // The table loads the plain fixture.
    void table_applies_and_resets()
    {
        QFETCH(QString, steps);
        test_hooks::set_process_timeout(300);
        TestRoot root;
        install_fixture(root);
        TestTable table;
        QVERIFY(table.load());
        root.clear_calls();
        bool reset = false;
        for (const QString &step : steps.split(", ", Qt::SkipEmptyParts)) {
            const QString name = step.mid(1).section(' ', 0, 0), argument = step.section(' ', 1);
            if (!step.startsWith('#'))
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
                root.remove_insserv();
            } else if (argument == "directory") {
                QDir().mkpath(root.path(overrides + name + "/keep"));
            } else {
                const int split = step.contains(" exit ") ? step.lastIndexOf(" exit ") : step.lastIndexOf(' ');
                root.set_behaviour(step.mid(1, split - 1), step.mid(split + 1));
            }
        }
        QTEST(answered(root, [&] { reset ? table.reset_services_defaults() : table.apply_changes(); }), "boxes");
        QTEST(root.calls().join(", "), "calls");
    }

    // $local_fs is the virtual facility of mountall; webapp requires database, so insserv refuses
    // to register webapp first. A reset brings cron's links back as its script has them.
    void real_insserv_makes_the_links()
    {
        if (real_insserv_missing())
            QSKIP("/sbin/insserv is not installed (Debian package insserv)");
        TestRoot root;
        use_real_insserv(root, "$local_fs +mountall\n",
                         {"mountall|", "cron|$local_fs", "ssh|$local_fs", "database|$local_fs", "webapp|database"});
        QCOMPARE(QProcess::execute(root.path("sbin/insserv"), {"mountall", "cron", "ssh"}), 0);
        TestTable before;
        QCOMPARE(answered(root, [&] { QVERIFY(before.load()); }), QString());
        for (const auto &level : {std::make_pair("2", "K"), std::make_pair("5", "")}) {
            before.clearSelection();
            before.level_cell("cron", level.first)->setSelected(true);
            before.switch_services_runlevels(level.second);
        }
        before.clearSelection();
        for (const char *name : {"webapp", "database"})
            before.cell(name, 1)->setSelected(true);
        before.switch_services_state(true);
        QCOMPARE(answered(root, [&] { before.apply_changes(); }).section(" | ", 0, 0), "Result: Changes are applied");
        QCOMPARE(root.read_file(overrides + "cron"),
                 TestRoot::header({"Provides: cron", "Required-Start: $local_fs", "Required-Stop: $local_fs",
                                   "Default-Start: 3 4", "Default-Stop: 0 1 2 6"}));
        QCOMPARE(links(root, "cron") + links(root, "database") + links(root, "webapp"), ".KKSS.KK.KSSSSKK.KSSSSKK");

        TestTable after;
        QCOMPARE(answered(root, [&] { after.load(); }), QString());
        after.cell("cron", 0)->setSelected(true);
        QCOMPARE(answered(root, [&] { after.reset_services_defaults(); }).section(" | ", 0, 0),
                 "Result: Reset is completed");
        QVERIFY(QDir(root.path(overrides)).isEmpty());
        QCOMPARE(links(root, "cron"), QStringLiteral(".KSSSSKK"));

        // A second writer gives database an override that requires webapp, which requires database:
        // the dry run meets the loop, the error is shown, and neither the override nor any link moved.
        after.clearSelection();
        after.level_cell("database", "2")->setSelected(true);
        after.switch_services_runlevels("K");
        const QByteArray looping = TestRoot::header({"Provides: database", "Required-Start: webapp", "Default-Start: 2"});
        root.write_file(overrides + "database", looping);
        const QString linked = links(root, "database") + links(root, "webapp");
        const QRegularExpression refused_before_removal("^(?!.*--remove)Error: An error has occured on processing "
                                                        "\"database\"  service: .*There is a loop");
        QVERIFY(refused_before_removal.match(answered(root, [&] { after.apply_changes(); })).hasMatch());
        QCOMPARE(root.read_file(overrides + "database"), looping);
        QCOMPARE(links(root, "database") + links(root, "webapp"), linked);

        // The same loop made by a dependency edit of the linked database: refused before anything is
        // removed, and no override left behind.
        QFile::remove(root.path(overrides + "database"));
        QVERIFY(refused_before_removal.match(answered(root, [&] {
            after.run_plan(plan_of("&database Required-Start=webapp", after.system_facts()), {}, nullptr);
        })).hasMatch());
        QVERIFY(!QFile::exists(root.path(overrides + "database")));
        QCOMPARE(links(root, "database") + links(root, "webapp"), linked);
    }

    // Debian's update-rc.d has no option for another root: here it runs in a private mount namespace
    // where the test root stands in for /etc, and leaves systemd alone. A service disabled by the
    // table keeps stop links only, through "insserv NAME" and "update-rc.d NAME defaults"; one
    // disabled that way beforehand loads as disabled; enabling brings its start links back.
    void real_update_rc_d_keeps_disabled_services_disabled()
    {
        if (real_insserv_missing() || !QFileInfo("/usr/sbin/update-rc.d").isExecutable())
            QSKIP("insserv or update-rc.d is not installed (Debian packages insserv, init-system-helpers)");
        if (QProcess::execute("unshare", {"--mount", "true"}) != 0)
            QSKIP("no mount namespaces here (needs root): update-rc.d cannot be kept inside the test root");
        TestRoot root;
        use_real_insserv(root, "$local_fs +vornmount\n", {"vornmount||S", "vornmail|$local_fs", "vornold|$local_fs"});
        root.write_file("usr/sbin/update-rc.d", QStringLiteral("#!/bin/sh\n_SKIP_SYSTEMD_NATIVE=1 exec '%1/tools/sample-"
                                                               "namespace' --root '%2' -- /usr/sbin/update-rc.d \"$@\"\n")
                                                    .arg(SOURCE_DIR, root.path()).toUtf8(), true);
        const auto run = [&root](const char *program, const QStringList &arguments) {
            return QProcess::execute(root.path(program), arguments) == 0;
        };
        QVERIFY(run("sbin/insserv", {"vornmount", "vornmail", "vornold"}));
        QVERIFY(run("usr/sbin/update-rc.d", {"vornold", "disable"}));
        const auto switch_state = [&](bool enable) {
            TestTable table;
            QCOMPARE(answered(root, [&] { QVERIFY(table.load()); }), QString());
            QCOMPARE(table.cell("vornold", 1)->text() + table.cell("vornold", 10)->text(), QStringLiteral("offoff"));
            table.cell("vornmail", 1)->setSelected(true);
            table.switch_services_state(enable);
            QCOMPARE(answered(root, [&] { table.apply_changes(); }).section(" | ", 0, 0), "Result: Changes are applied");
        };
        switch_state(false);
        QCOMPARE(links(root, "vornmail"), QStringLiteral(".KKKKKKK"));
        QVERIFY(run("sbin/insserv", {"vornmail"}) && run("usr/sbin/update-rc.d", {"vornmail", "defaults"}));
        QCOMPARE(links(root, "vornmail"), QStringLiteral(".KKKKKKK"));
        switch_state(true);
        QCOMPARE(links(root, "vornmail") + links(root, "vornold"), QStringLiteral(".KSSSSKK.KKKKKKK"));
    }
};

QTEST_MAIN(TestApply)
#include "tst_apply.moc"
