#include "apply/override_writer.h"
#include "apply/plan_check.h"
#include "apply/plan_text.h"
#include "catalogue/system_paths.h"
#include "catalogue/test_hooks.h"
#include "tests/support/fixture.h"
#include "tests/support/graph_fixture.h"

#include <csignal>
#include <sys/resource.h>

namespace {

const QString overrides = QStringLiteral("etc/insserv/overrides/");
const QString relinked = QStringLiteral("insserv --dryrun %1, insserv --remove --force %1, insserv %1");

// The plain fixture: a service, its sequence number (-1: not listed) and the kind of its link in
// each of the runlevels S, 1 to 6 and 0. Every script starts in 2 to 5 and stops in 0, 1 and 6,
// but halt and sendsigs, which only stop (sendsigs has an override that gives it no runlevel). A
// service without a start link is disabled; part is disabled in runlevel 3 only.
const QList<std::tuple<QString, int, QString>> fixture{
    {"cron", 2, ".KSSSSKK"}, {"ssh", 3, ".KSSSSKK"}, {"charlie", 30, ".KSSSSKK"}, {"delta", 2, "........"},
    {"rsync", 2, "........"}, {"alpha", 20, "........"}, {"echo", 40, ".KKKKKKK"}, {"odd", 5, ".K....KK"},
    {"halt", 1, ".......K"}, {"part", 4, ".KSKSSKK"}, {"abel", -1, "........"}, {"sendsigs", -1, "........"}};

SystemFacts install_fixture(TestRoot &root)
{
    SystemFacts facts;
    QStringList listing;
    for (const auto &[name, sequence, links] : fixture) {
        const bool stop_only = name == "halt" || name == "sendsigs";
        root.add_script(name, {"Provides: " + name, stop_only ? "" : "Default-Start: 2 3 4 5",
                               stop_only ? "Default-Stop: 0 6" : "Default-Stop: 0 1 6"});
        ServiceFacts &known = facts[name];
        known.listed = sequence >= 0;
        known.sequence = quint16(std::max(sequence, 0));
        for (int level = 0; level < links.size(); ++level) {
            if (links.at(level) == '.')
                continue;
            known.link_kinds.insert(all_runlevels().at(level), links.at(level));
            root.add_links(all_runlevels().at(level),
                           links.at(level) + QString::number(sequence + 100).right(2) + name);
        }
        if (known.listed)
            listing << QStringLiteral("S:%1:2 3 4 5:%2").arg(sequence + 100).arg(name).remove(2, 1);
        known.linked = !known.link_kinds.isEmpty();
        known.disabled = !links.contains('S') && !stop_only;
    }
    root.add_override("abel", {"Default-Start: 2"});
    root.add_override("sendsigs", {"Provides: sendsigs", "Default-Stop:"});
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
        names << (step.kind == PlanStep::Run
                      ? QFileInfo(step.program).fileName() + ' ' + step.arguments.join(' ')
                      : (step.kind == PlanStep::WriteOverride ? "write " : "delete ") + step.service);
    return names.join(", ");
}

// The kind of a service's link in each of the runlevels S, 1 to 6 and 0, "." for none.
QString states_text(const LinkStates &states)
{
    QString text;
    for (const QString &level : all_runlevels())
        text += states.value(level, '.');
    return text;
}

QString intended_text(const ApplyPlan &plan)
{
    QStringList services;
    for (auto service = plan.intended.cbegin(); service != plan.intended.cend(); ++service)
        services << service.key() + '=' + states_text(service.value());
    return services.join(' ');
}

// Message texts on one line, with programs and overrides by their names alone.
QString one_line(QString text, const TestRoot &root)
{
    return text.replace(root.path(), "").replace(QRegularExpression("\\S*/(etc/insserv/overrides/|s?bin/)"), "")
        .replace('\n', "; ");
}

// Runs the operation, answering every message box with Ok; returns their "title: text", each
// with its details after a " | ". Any other modal widget shows up as its title.
QString answered(const TestRoot &root, const std::function<void()> &operation)
{
    ModalWatcher watcher;
    for (int box = 0; box < 4; ++box)
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

// The services of the end-to-end tests: dbusd is needed by avahi, rpcbind by nfs through
// $portmap; halt only stops at shutdown.
void install_real_system(TestRoot &root)
{
    QVERIFY(
        root.use_real_programs("$local_fs +mountall\n$syslog +logd\n$portmap rpcbind\n",
                               {"mountall||S", "logd|$local_fs", "cron|$local_fs $syslog", "ssh|$local_fs",
                                "dbusd|$local_fs", "avahi|dbusd", "rpcbind|$local_fs", "nfs|$portmap", "halt||| 0"}));
}

bool run_in_root(const TestRoot &root, const char *program, const QStringList &arguments)
{
    return QProcess::execute(root.path(program), arguments) == 0;
}

// The table's edits of a step list as in plan_of: "@cron 2 K", "-ssh", "+rsync".
void edit(TestTable &table, const QString &steps)
{
    for (const QString &step : steps.split(", ", Qt::SkipEmptyParts)) {
        const QString name = step.mid(1).section(' ', 0, 0), argument = step.section(' ', 1);
        table.clearSelection();
        if (step.startsWith('@')) {
            table.level_cell(name, argument.section(' ', 0, 0))->setSelected(true);
            table.switch_services_runlevels(argument.section(' ', 1));
        } else {
            table.cell(name, 1)->setSelected(true);
            table.switch_services_state(step.startsWith('+'));
        }
    }
}

// What a runner does to one command line: fail instead of running it, or fail after it ran.
ProcessRunner failing(const QString &command, bool after_running)
{
    return [command, after_running](const QString &program, const QStringList &arguments) {
        const QString line = QFileInfo(program).fileName() + ' ' + arguments.join(' ');
        if (line != command)
            return run_process(program, arguments);
        if (after_running)
            run_process(program, arguments);
        return ProcessResult{true, true, false, 1, "refused"};
    };
}

} // namespace

class TestApply : public QObject
{
    Q_OBJECT

private slots:
    void init() { test_hooks::set_process_timeout(30000); }

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
        QTest::addColumn<QString>("intended"); // the links of every touched service afterwards
        QTest::newRow("worked example: cron level 2 K, ssh disabled, rsync enabled") << "@cron 2 K, -ssh, +rsync"
            << "write cron, " + relinked.arg("cron") + ", update-rc.d ssh disable 2 3 4 5, insserv rsync"
            << "cron=.KKSSSKK rsync=.KSSSSKK ssh=.KKKKKKK";
        QTest::newRow("three levels of one service: one write, one removal and registration")
            << "@cron 2 K, @cron 3 K, @cron 4" << "write cron, " + relinked.arg("cron") << "cron=.KKK.SKK";
        QTest::newRow("disabled and edited in level 2 ends disabled in the levels it keeps")
            << "@cron 2, -cron" << "write cron, " + relinked.arg("cron") + ", update-rc.d cron disable 3 4 5"
            << "cron=.K.KKKKK";
        QTest::newRow("a partial disable survives an edit of another level")
            << "@part 5 K" << "write part, " + relinked.arg("part") + ", update-rc.d part disable 3" << "part=.KSKSKKK";
        QTest::newRow("disabling names the levels that start, whatever the header says")
            << "-part" << "update-rc.d part disable 2 4 5" << "part=.KKKKKKK";
        QTest::newRow("remove 30, remove 3, register 2, register 20") << "+alpha, -ssh, +delta, -charlie"
            << "update-rc.d charlie disable 2 3 4 5, update-rc.d ssh disable 2 3 4 5, insserv delta, insserv alpha"
            << "alpha=.KSSSSKK charlie=.KKKKKKK delta=.KSSSSKK ssh=.KKKKKKK";
        QTest::newRow("equal sequences in reverse map order, unlisted service last")
            << "+abel, +delta, +rsync, -ssh"
            << "update-rc.d ssh disable 2 3 4 5, insserv rsync, insserv delta, insserv abel"
            << "abel=..S..... delta=.KSSSSKK rsync=.KSSSSKK ssh=.KKKKKKK";
        QTest::newRow("service without links edited is written and removed only")
            << "@rsync 3 K" << "write rsync, insserv --remove --force rsync" << "rsync=........";
        QTest::newRow("a disabled service edited stays disabled")
            << "@echo 3 K"
            << "write echo, " + relinked.arg("echo") + ", update-rc.d echo disable 2 4 5"
            << "echo=.KKKKKKK";
        QTest::newRow("enabling turns its stop links back into start links")
            << "+echo" << "update-rc.d echo enable 2 3 4 5" << "echo=.KSSSSKK";
        QTest::newRow("enabling without stop links where it starts registers afresh") << "+odd" << relinked.arg("odd")
            << "odd=.KSSSSKK";
        QTest::newRow("a script that only stops loses every runlevel, for good")
            << "-halt" << "write halt, insserv --remove halt" << "halt=........";
        QTest::newRow("a level started on a script without a Default-Start line")
            << "@halt 2 S" << "write halt, " + relinked.arg("halt") << "halt=..S....K";
        QTest::newRow("enabling it gives back its script's levels")
            << "+sendsigs" << "write sendsigs, insserv sendsigs" << "sendsigs=......KK";
        QTest::newRow("reset: dry runs, removals from the top, registrations from the bottom, unlisted last")
            << "#ssh, #abel, #cron, #ssh"
            << "delete abel, insserv --dryrun cron, insserv --dryrun ssh, insserv --dryrun abel, insserv --remove "
               "--force ssh, insserv --remove --force cron, insserv --remove --force abel, insserv cron, insserv ssh, "
               "insserv abel"
            << "abel=.KSSSSKK cron=.KSSSSKK ssh=.KSSSSKK";
        QTest::newRow("dependencies of a disabled linked service")
            << "&echo Should-Start=+nfs" << "write echo, " + relinked.arg("echo") + ", update-rc.d echo disable 2 3 4 5"
            << "echo=.KKKKKKK";
        QTest::newRow("dependencies of a partly disabled service keep its links")
            << "&part Should-Start=+nfs" << "write part, " + relinked.arg("part") + ", update-rc.d part disable 3"
            << "part=.KSKSSKK";
        QTest::newRow("dependencies of a service without links are only checked")
            << "&rsync Required-Start=" << "write rsync, insserv --dryrun rsync" << "rsync=........";
    }

    // Plans are made, not carried out.
    void plans()
    {
        QFETCH(QString, steps);
        TestRoot root;
        const ApplyPlan plan = plan_of(steps, install_fixture(root));
        QTEST(describe(plan.steps), "plan");
        QTEST(intended_text(plan), "intended");
        QCOMPARE(QDir(root.path(overrides)).entryList(QDir::Files), QStringList({"abel", "sendsigs"}));
    }

    // Grouped by service in the order the steps run, with the last content written.
    void previews_show_diffs_and_commands()
    {
        TestRoot root;
        const SystemFacts facts = install_fixture(root);
        const auto preview
            = [&](const QString &steps) { return plan_preview(plan_of(steps, facts)).replace(root.path(), ""); };
        QCOMPARE(preview("@cron 2 K, @cron 3 K, -ssh"),
                 "Services (2): cron, ssh; overrides written or deleted: 1; program runs: 4\n\ncron:\n"
                 "--- /etc/init.d/cron\n+++ /etc/insserv/overrides/cron\n@@ -1,5 +1,5 @@\n"
                 " ### BEGIN INIT INFO\n # Provides: cron\n-# Default-Start: 2 3 4 5\n-# Default-Stop: 0 1 6\n"
                 "+# Default-Start: 4 5\n+# Default-Stop: 0 1 2 3 6\n ### END INIT INFO\n/sbin/insserv --dryrun cron\n"
                 "/sbin/insserv --remove --force cron\n/sbin/insserv cron\n\nssh:\n/usr/sbin/update-rc.d ssh disable 2 "
                 "3 4 5");
        QCOMPARE(preview("&abel Required-Start=ssh"),
                 "Services (1): abel; overrides written or deleted: 1; program runs: 1\n\nabel:\n"
                 "--- /etc/insserv/overrides/abel\n+++ /etc/insserv/overrides/abel\n@@ -1,3 +1,4 @@\n"
                 " ### BEGIN INIT INFO\n # Default-Start: 2\n+# Required-Start: ssh\n ### END INIT INFO\n"
                 "/sbin/insserv --dryrun abel");
        QCOMPARE(preview("#abel"), "Services (1): abel; overrides written or deleted: 1; program runs: 3\n\nabel:\n"
                                   "/etc/insserv/overrides/abel: override deleted\n/sbin/insserv --dryrun abel\n"
                                   "/sbin/insserv --remove --force abel\n/sbin/insserv abel");
    }

    // The rows: links before, links after (service, then "RUNLEVEL:LINK" or "RUNLEVEL:LINK>TARGET"
    // for a link that leads nowhere), the intended state of the touched services, insserv's
    // messages after; the result: the problems, then the preview's lines about links.
    void rehearsals_are_judged_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("intended");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("problems");
        QTest::addColumn<QString>("preview");
        QTest::newRow("as intended, another renumbered, a dangling link cleared")
            << "cron 2:S02cron 3:S02cron, ssh 2:S03ssh, gone 2:S09gone>../init.d/gone"
            << "cron 2:S02cron 3:K01cron, ssh 2:S02ssh"
            << "cron=..SK...."
            << ""
            << ""
            << "cron:; runlevel 3: S02cron becomes K01cron | Renumbered only (1): ssh; rc2.d/S09gone -> ../init.d/gone "
               "leads nowhere and goes";
        QTest::newRow("disabling what another needs")
            << "dbusd 2:S02dbusd, avahi 2:S03avahi" << "dbusd 2:K01dbusd, avahi 2:S03avahi" << "dbusd=..K....."
            << "insserv: FATAL: service dbus is missed in the runlevels 2 to use service avahi"
            << "avahi requires dbusd in runlevels 2; disabling dbusd would stop avahi from starting."
            << "dbusd:; runlevel 2: S02dbusd becomes K01dbusd";
        QTest::newRow("links not as shown, an untouched service changed")
            << "cron 2:S02cron, ssh 2:S03ssh" << "ssh 2:K03ssh" << "cron=..S....." << ""
            << "The links of cron would not be what the table shows: runlevel 2: - instead of S.; ssh would change as "
               "well, which the table does not show: runlevel 2: K instead of S."
            << "cron:; runlevel 2: S02cron goes";
    }

    void rehearsals_are_judged()
    {
        QFETCH(QString, refusal);
        const auto read = [](const QString &text) {
            BootConfiguration configuration;
            for (const QString &service : text.split(", ", Qt::SkipEmptyParts)) {
                const QString name = service.section(' ', 0, 0);
                configuration.scripts.insert(name, true);
                for (const QString &link : service.section(' ', 1).split(' ', Qt::SkipEmptyParts)) {
                    const QString entry = link.section(':', 1).section('>', 0, 0), target = link.section('>', 1);
                    configuration.links[entry.mid(3)]
                        << RunlevelLink{link.section(':', 0, 0), entry,
                                        target.isEmpty() ? "../init.d/" + entry.mid(3) : target, target.isEmpty()};
                }
            }
            configuration.scripts.remove("gone");
            return configuration;
        };
        Rehearsal rehearsal;
        rehearsal.available = true;
        QFETCH(QString, before);
        QFETCH(QString, after);
        rehearsal.before = read(before);
        rehearsal.after = read(after);
        rehearsal.setup_after = SetupCheck{!refusal.isEmpty(), refusal};
        ApplyPlan plan;
        QFETCH(QString, intended);
        for (const QString &service : intended.split(' ')) {
            LinkStates states;
            for (int level = 0; level < 8; ++level) {
                if (service.section('=', 1).at(level) != '.')
                    states.insert(all_runlevels().at(level), service.section('=', 1).at(level));
            }
            plan.intended.insert(service.section('=', 0, 0), states);
        }
        QTEST(rehearsal_problems(plan, rehearsal, {{"dbus", "dbusd"}}).join("; "), "problems");
        QStringList preview = plan_preview(plan, rehearsal).split("\n\n");
        QTEST(preview.mid(1).join(" | ").replace('\n', "; "), "preview");
    }

    // insserv's lines as sentences, told from the headers of the graph: a loop as its whole chain,
    // whichever end insserv names; in brackets, the services offered for editing.
    void insserv_messages_in_plain_words_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("words");
        const QString loop
            = "These services wait for each other at boot, so insserv cannot order them: cron requires "
              "$syslog (Required-Start in /etc/init.d/cron), which rsyslog provides ($syslog in "
              "/etc/insserv.conf); rsyslog requires cron (Required-Start in /etc/insserv/overrides/rsyslog). "
              "Remove one of these dependencies. [cron, rsyslog]";
        QTest::newRow("loop") << "insserv: There is a loop between service rsyslog and cron if started" << loop;
        QTest::newRow("loop, from the other end")
            << "insserv: There is a loop between service cron and rsyslog if started" << loop;
        QTest::newRow("loop, one service named") << "insserv:  loop involving service rsyslog at depth 1" << loop;
        QTest::newRow("loop at shutdown")
            << "insserv: There is a loop between service down1 and down2 if stopped"
            << "These services wait for each other at shutdown, so insserv cannot order them: down1 stops after down2 "
               "(X-Stop-After in /etc/init.d/down1); down1 requires down2 (Required-Stop in /etc/init.d/down1). Remove "
               "one of these dependencies. [down1]";
        QTest::newRow("loop the headers do not hold") << "insserv: There is a loop at service web if started"
                                                      << "web is part of a dependency loop: change the dependencies of "
                                                         "a service in it. [web]";
        QTest::newRow("missing") << "insserv: FATAL: service portmap is missed in the runlevels 2 3 to use service nfs"
                                 << "nfs needs rpcbind in runlevels 2 3, where rpcbind does not start: start rpcbind "
                                    "there, or stop nfs there.";
        QTest::newRow("not executable") << "insserv: script cron is not an executable regular file, will be skipped"
                                        << "The script cron is not executable, so insserv leaves it out of the boot: "
                                           "make it executable.";
        QTest::newRow("provided twice")
            << "insserv: script cron2: service cron already provided!"
            << "cron2 and cron both provide cron: remove it from the Provides of one of them.";
        QTest::newRow("no provider") << "insserv: FATAL: service $mail has to exist for service fetch"
                                     << "fetch needs $mail (Required-Start in /etc/init.d/fetch), which no script "
                                        "provides: install it or remove the dependency. [fetch]";
        QTest::newRow("$all") << "insserv: Starting web depends on late and therefore on system facility `$all' which "
                                 "can not be true!"
                              << "web must wait for late (Required-Start in /etc/init.d/web), which waits for every "
                                 "other service ($all): that cannot be met. Remove late from the dependencies of web, "
                                 "or $all from those of late (/etc/init.d/late). [web, late]";
        QTest::newRow("anything else stays insserv's") << "insserv: something new" << "insserv: something new";
    }

    void insserv_messages_in_plain_words()
    {
        const DependencyGraph graph = graph_of("$syslog=+rsyslog | rsyslog@/etc/insserv/overrides/rsyslog; "
                                               "Required-Start=cron | cron; Required-Start=$syslog"
                                               " | cron2; Provides=cron | late; Required-Start=$all | web; "
                                               "Required-Start=late | fetch; Required-Start=$mail"
                                               " | down1; Required-Stop=down2; X-Stop-After=down2 | down2");
        QFETCH(QString, line);
        const QList<InsservMessage> messages = parse_insserv_messages(line, {{"portmap", "rpcbind"}});
        QCOMPARE(messages.size(), 1);
        const Explanation explanation = explain(messages.first(), &graph);
        QTEST(explanation.sentence
                  + (explanation.services.isEmpty() ? "" : " [" + explanation.services.join(", ") + ']'),
              "words");
        QVERIFY(parse_insserv_messages("insserv: warning: current start runlevel(s) (empty) of script `cron' overrides "
                                       "LSB defaults (2 3 4 5).", {}).first().kind == InsservMessage::Expected);
    }

    // Megabytes of bytes that are not UTF-8 become a message that a box can show.
    void error_output_stays_readable()
    {
        const ProcessRunner flood = [](const QString &, const QStringList &) {
            return ProcessResult{true, true, false, 1, QByteArray(1 << 20, '\xff')};
        };
        TestRoot root;
        ApplyPlan plan;
        plan.steps << insserv_step("cron", "S", false, false);
        const PlanOutcome outcome = run_steps(plan, flood, root.path());
        QVERIFY(outcome.error->message().size() < 4200 && outcome.error->message().contains(QChar(0xfffd)));
    }

    // With the fake insserv the rehearsal meets every failure first, and the machine keeps its
    // overrides and links. "!KEY BEHAVIOUR" is for the fake ("!=cron exit 1" acts on "insserv cron"
    // only), "!cron directory" puts a directory in the override's place.
    void failures_on_the_copy_change_nothing_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("boxes");
        const QString refused = "Not applied: The changes were tried on a copy of the boot configuration first, and "
                                "nothing was changed on this machine:; ; %1";
        const QString failed = "An error has occured on processing \"%1\"  service%2";
        QTest::newRow("registration refused")
            << "!=--remove --force cron exit 3, @cron 2 K" << refused.arg(failed.arg("cron", "!"));
        QTest::newRow("insserv never finishes")
            << "!update-rc.d ssh hang, -ssh" << refused.arg(failed.arg("ssh", ": update-rc.d error"));
        QTest::newRow("insserv killed by a signal") << "!rsync crash, +rsync" << refused.arg(failed.arg("rsync", "!"));
        QTest::newRow("missing overrides directory") << "!no overrides directory, @cron 2 K"
            << refused.arg("Overrides directory \"/etc/insserv/overrides\" does not exist.");
        QTest::newRow("an undeletable override")
            << "!ssh directory, #ssh" << refused.arg("Error while resetting service settings");
    }

    void failures_on_the_copy_change_nothing()
    {
        if (QProcess::execute("unshare", {"--mount", "--propagation", "unchanged", "true"}) != 0)
            QSKIP("no private mount namespaces here (needs root): nothing to rehearse on");
        QFETCH(QString, steps);
        test_hooks::set_process_timeout(300);
        TestRoot root;
        install_fixture(root);
        TestTable table;
        bool reset = false;
        for (const QString &step : steps.split(", ", Qt::SkipEmptyParts)) {
            const QString name = step.mid(1).section(' ', 0, 0), argument = step.section(' ', 1);
            if (!step.startsWith('!') && table.rowCount() == 0)
                QVERIFY(table.load());
            if (step == "!no overrides directory") {
                QDir(root.path(overrides)).removeRecursively();
            } else if (argument == "directory") {
                QDir().mkpath(root.path(overrides + name + "/keep"));
            } else if (step.startsWith('#')) {
                table.clearSelection();
                table.cell(name, 0)->setSelected(true);
                reset = true;
            } else if (step.startsWith('!')) {
                const int split = step.contains(" exit ") ? step.lastIndexOf(" exit ") : step.lastIndexOf(' ');
                root.set_behaviour(step.mid(1, split - 1), step.mid(split + 1));
            } else {
                edit(table, step);
            }
        }
        const BootConfiguration before = read_boot_configuration(root.path());
        const QString boxes = answered(root, [&] { reset ? table.reset_services_defaults() : table.apply_changes(); });
        QTEST(boxes.section(" | ", 0, 0), "boxes");
        QCOMPARE(changed_services(before, read_boot_configuration(root.path())), QStringList());
    }

    // Where no private namespace can be made, the confirmation says so; the plan still has its dry
    // runs, and the verification: the fake insserv makes no links, so everything is restored.
    void without_a_copy_the_confirmation_says_so()
    {
        TestRoot root;
        install_fixture(root);
        test_hooks::deny_private_namespaces(true);
        TestTable table;
        QVERIFY(table.load());
        edit(table, "@cron 2 K");
        QString notice;
        const QString boxes = answered(root, [&] {
            QCOMPARE(table.run_plan(table.changes_plan(), [&](const QString &text, const QString &) {
                notice = text;
                return true;
            }, "done", nullptr), ServiceTable::PlanResult::Failed);
        });
        test_hooks::deny_private_namespaces(false);
        QCOMPARE(notice, "These changes cannot be tried on a copy first (No private mount namespace: Operation not "
                         "permitted); only insserv's dry runs check them before the machine changes.");
        QCOMPARE(boxes.section(" | ", 0, 0),
                 "Error: The links insserv made are not the ones the table shows; everything "
                 "was restored as it was.");
        QVERIFY(boxes.contains("cron: runlevel 2: S instead of K"));
        QVERIFY(!QFile::exists(root.path(overrides + "cron")));
        QCOMPARE(root.calls().filter("cron"), QStringList({"--dryrun cron", "--remove --force cron", "cron"}));
    }

    // Without a copy, insserv's refusal stops the apply itself: its words go to the details, the
    // box says what they mean and offers to edit the services they name.
    void an_apply_error_in_plain_words()
    {
        TestRoot root;
        install_fixture(root);
        test_hooks::deny_private_namespaces(true);
        TestTable table;
        QVERIFY(table.load());
        edit(table, "@cron 2 K");
        root.set_behaviour("=--dryrun cron", "exit 1");
        root.set_stderr("cron", "insserv: There is a loop between service cron and ssh if started\n");
        const QString boxes = answered(root, [&] {
            QCOMPARE(table.run_plan(table.changes_plan(), [](const QString &, const QString &) { return true; }, "done",
                                    nullptr), ServiceTable::PlanResult::Failed);
        });
        test_hooks::deny_private_namespaces(false);
        QCOMPARE(boxes.section(" | ", 0, 0), "Error: cron and ssh require each other through a dependency loop: change "
                                             "the dependencies of one of them.");
        QVERIFY(boxes.section(" | ", 1).contains("There is a loop between service cron and ssh if started"));
        QVERIFY(!QFile::exists(root.path(overrides + "cron")));
    }

    // With the real insserv and update-rc.d, a step that fails on the machine itself, whether
    // before or after it ran, leaves every link, override and dependency file exactly as it was.
    void failures_on_the_machine_restore_exactly_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("failing"); // "+" in front: the command runs, then fails
        QTest::addColumn<QString>("outcome");
        QTest::newRow("registration refused after the removal")
            << "@cron 2 K" << "insserv cron" << "cron: refused | restored: cron | not restored: ";
        QTest::newRow("update-rc.d fails half-way, before ssh's turn")
            << "-ssh, -cron"
            << "+update-rc.d cron disable 2 3 4 5"
            << "cron: refused | restored: cron | not restored: ";
        QTest::newRow("a reset fails") << "#ssh" << "insserv ssh" << "ssh: refused | restored: ssh | not restored: ";
        QTest::newRow("the overrides directory goes meanwhile")
            << "@cron 2 K" << "+insserv --remove --force cron"
            << "cron: refused | restored: cron | not restored: ssh: its override differs";
        QTest::newRow("a full disk") << "@cron 2 K" << "full disk"
                                     << "Error while creating override file | restored: cron | not restored: ";
    }

    void failures_on_the_machine_restore_exactly()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        QFETCH(QString, steps);
        QFETCH(QString, failing);
        TestRoot root;
        install_real_system(root);
        root.write_file(overrides + "ssh", root.read_file("etc/init.d/ssh"));
        TestTable table;
        QVERIFY(table.load());
        const ApplyPlan plan = plan_of(steps, table.system_facts());
        const BootConfiguration before = read_boot_configuration(root.path());
        const bool after_running = failing.startsWith('+');
        ProcessRunner runner = ::failing(after_running ? failing.mid(1) : failing, after_running);
        if (QTest::currentDataTag() == QLatin1String("the overrides directory goes meanwhile"))
            runner = [&root, runner](const QString &program, const QStringList &arguments) {
                const ProcessResult result = runner(program, arguments);
                QDir(root.path(overrides)).removeRecursively();
                return result;
            };
        const PlanOutcome outcome = with_file_size_limit(failing == "full disk" ? 16 : RLIM_INFINITY, [&] {
            return execute_plan(plan, before, plan.intended, runner);
        });
        const QString error = outcome.error->message().replace("An error has occured on processing \"", "")
                                  .replace("\"  service: ", ": ");
        QTEST(QStringLiteral("%1 | restored: %2 | not restored: %3")
                  .arg(error, outcome.restored.join(", "), one_line(outcome.not_restored.join(", "), root)),
              "outcome");
        if (outcome.not_restored.isEmpty()) {
            const BootConfiguration after = read_boot_configuration(root.path());
            QCOMPARE(changed_services(before, after), QStringList());
            QCOMPARE(after.generated, before.generated);
        }
    }

    // A dependency edit that makes a loop is refused on the copy: the refusal tells the whole chain
    // from the headers, with insserv's own words in the details, and opens the editor on the service
    // of the chain the user picks. Loading such a setup tells the same chain and offers the same.
    void a_refused_loop_is_explained()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        TestRoot root;
        install_real_system(root);
        TestTable table;
        QVERIFY(table.load());
        const BootConfiguration before = read_boot_configuration(root.path());
        const QString chain
            = "cron requires $syslog (Required-Start in /etc/init.d/cron), which logd provides ($syslog "
              "in /etc/insserv.conf); logd requires cron (Required-Start in /etc/insserv/overrides/logd)";
        ModalWatcher watcher;
        QString text, details, editor;
        QStringList offered;
        watcher.expect([&](QWidget *shown) {
            auto *box = qobject_cast<QMessageBox *>(shown);
            text = box->text();
            details = box->detailedText();
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() != "Edit dependencies…")
                    continue;
                for (QAction *entry : static_cast<QPushButton *>(button)->menu()->actions())
                    offered << entry->text();
                static_cast<QPushButton *>(button)->menu()->actions().first()->trigger();
            }
        });
        watcher.expect([&](QWidget *shown) {
            editor = shown->windowTitle();
            qobject_cast<QDialog *>(shown)->reject();
        });
        const ApplyPlan plan = plan_of("&logd Required-Start=$local_fs cron", table.system_facts());
        QCOMPARE(table.run_plan(plan, {}, "done", nullptr), ServiceTable::PlanResult::NotRun);
        QVERIFY2(text.contains(chain), qPrintable(text));
        QVERIFY(!text.contains("There is a loop") && details.contains("There is a loop between service"));
        QCOMPARE(offered, QStringList({"cron", "logd"}));
        QTRY_COMPARE(editor, "cron");
        QCOMPARE(changed_services(before, read_boot_configuration(root.path())), QStringList());

        root.write_file(overrides + "logd", plan.steps.first().content);
        TestTable looped;
        QVERIFY(looped.load());
        QVERIFY2(looped.load_notices().first().text.contains(chain), qPrintable(looped.load_notices().first().text));
        QCOMPARE(looped.services_to_repair(), QStringList({"cron", "logd"}));
        QVERIFY(watcher.unexpected.isEmpty());
    }

    // The story of an administrator on a machine with the real insserv and update-rc.d: what the
    // table shows is what the machine gets, and a plan that insserv would refuse changes nothing.
    void the_machine_gets_what_the_table_shows()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        TestRoot root;
        install_real_system(root);
        QVERIFY(run_in_root(root, "usr/sbin/update-rc.d", {"cron", "disable", "3"}));
        QVERIFY(QFile::link("../init.d/gone", root.path("etc/rc2.d/S09gone")));

        // Loading changes nothing, the dangling link included, and says what insserv would change.
        BootConfiguration before = read_boot_configuration(root.path());
        TestTable table;
        QCOMPARE(answered(root, [&] { QVERIFY(table.load()); }), QString());
        QCOMPARE(changed_services(before, read_boot_configuration(root.path())), QStringList());
        QCOMPARE(table.load_notices().size(), 1);
        QVERIFY(table.load_notices().first().details.contains("rc2.d/S09gone"));
        QCOMPARE(table.level_cell("cron", "3")->data(ServiceTable::MarkRole).toString(), "K");

        // A partial disable survives an edit of another level, and the dangling link goes.
        edit(table, "@cron 5 K");
        QCOMPARE(answered(root, [&] { table.apply_changes(); }).section(" | ", 0, 0), "Result: Changes are applied");
        QCOMPARE(links(root, "cron"), ".KSKSKKK");
        QVERIFY(!QFileInfo(root.path("etc/rc2.d/S09gone")).isSymLink());

        // A script that is not executable, which insserv leaves out of the boot with success.
        QVERIFY(run_in_root(root, "sbin/insserv", {"--remove", "cron"}));
        QFile::setPermissions(root.path("etc/init.d/cron"), QFile::ReadOwner | QFile::WriteOwner);
        TestTable lazy;
        QVERIFY(lazy.load());
        edit(lazy, "+cron");
        const QString skipped = answered(root, [&] { lazy.apply_changes(); });
        QVERIFY2(skipped.contains("The script cron is not executable, so insserv leaves it out of the boot"),
                 qPrintable(skipped));
        QCOMPARE(links(root, "cron"), "........");
        QFile::setPermissions(root.path("etc/init.d/cron"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(run_in_root(root, "sbin/insserv", {"cron"}));

        // Disabling what another service requires is refused, with the dependant named.
        TestTable again;
        QVERIFY(again.load());
        edit(again, "-dbusd, -rpcbind");
        before = read_boot_configuration(root.path());
        const QString refused = answered(root, [&] { again.apply_changes(); });
        QVERIFY2(refused.contains("avahi requires dbusd in runlevels 2 3 4 5; disabling dbusd would stop avahi from "
                                  "starting."), qPrintable(refused));
        QVERIFY2(refused.contains("nfs requires rpcbind"), qPrintable(refused));
        QCOMPARE(changed_services(before, read_boot_configuration(root.path())), QStringList());

        // A change by another program after the load: nothing is done, a reload is offered.
        edit(again, "+dbusd, +rpcbind, @ssh 2 K");
        QVERIFY(run_in_root(root, "usr/sbin/update-rc.d", {"ssh", "disable"}));
        QSignalSpy changed(&again, &ServiceTable::configuration_changed);
        before = read_boot_configuration(root.path());
        QCOMPARE(answered(root, [&] { again.apply_changes(); }), QString());
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toStringList(), QStringList{"ssh"});
        QCOMPARE(changed_services(before, read_boot_configuration(root.path())), QStringList());

        // A script that only stops stays off through update-rc.d's defaults, and comes back.
        TestTable halting;
        QVERIFY(halting.load());
        edit(halting, "-halt");
        QCOMPARE(answered(root, [&] { halting.apply_changes(); }).section(" | ", 0, 0), "Result: Changes are applied");
        QVERIFY(run_in_root(root, "usr/sbin/update-rc.d", {"halt", "defaults"}));
        QCOMPARE(links(root, "halt"), "........");
        TestTable back;
        QVERIFY(back.load());
        QCOMPARE(back.cell("halt", 1)->text(), "off");
        edit(back, "+halt");
        QCOMPARE(answered(root, [&] { back.apply_changes(); }).section(" | ", 0, 0), "Result: Changes are applied");
        QCOMPARE(links(root, "halt"), ".......K");

        // Disabled by hand, dbusd leaves a setup that insserv refuses: it still loads from the
        // links, says why, and can be repaired here.
        QVERIFY(run_in_root(root, "usr/sbin/update-rc.d", {"dbusd", "disable"}));
        TestTable broken;
        QVERIFY(broken.load());
        QVERIFY(broken.row_of("avahi") >= 0 && broken.row_of("cron") >= 0);
        QVERIFY2(broken.load_notices().first().text.contains("avahi needs dbusd in runlevels 2 3 4 5"),
                 qPrintable(broken.load_notices().first().text));
        edit(broken, "+dbusd");
        QCOMPARE(answered(root, [&] { broken.apply_changes(); }).section(" | ", 0, 0), "Result: Changes are applied");
        QCOMPARE(links(root, "dbusd"), ".KSSSSKK");
    }
};

QTEST_MAIN(TestApply)
#include "tst_apply.moc"
