#include "apply/apply_history.h"
#include "apply/apply_trace.h"
#include "apply/undo_plan.h"
#include "catalogue/system_paths.h"
#include "catalogue/test_hooks.h"
#include "tests/support/fixture.h"

#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A process of its own that holds a whole-file fcntl write lock, as dpkg and apt hold theirs,
// until this object goes.
class HeldLock
{
public:
    explicit HeldLock(const QString &path)
    {
        const QByteArray file = QFile::encodeName(path);
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        holder = ::fork();
        if (holder == 0) {
            const int descriptor = ::open(file.constData(), O_RDWR | O_CREAT, 0640);
            struct flock lock = {};
            lock.l_type = F_WRLCK;
            char byte = descriptor >= 0 && ::fcntl(descriptor, F_SETLK, &lock) == 0 ? '1' : '0';
            ::close(release[1]);
            if (::write(ready[1], &byte, 1) == 1)
                (void)!::read(release[0], &byte, 1); // until the test closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char byte = '0';
        taken = ::read(ready[0], &byte, 1) == 1 && byte == '1';
        ::close(ready[0]);
        keep = release[1];
    }
    ~HeldLock()
    {
        ::close(keep);
        ::waitpid(holder, nullptr, 0);
    }

    bool taken = false;

private:
    pid_t holder = -1;
    int keep = -1;
};

// The process that holds a write lock on the whole file, as another process sees it; 0 for none.
pid_t lock_holder(const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    int answer[2];
    if (::pipe(answer) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        const int descriptor = ::open(file.constData(), O_RDONLY);
        struct flock probe = {};
        probe.l_type = F_WRLCK;
        const pid_t holder = descriptor >= 0 && ::fcntl(descriptor, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK
            ? probe.l_pid : 0;
        (void)!::write(answer[1], &holder, sizeof holder);
        ::_exit(0);
    }
    ::close(answer[1]);
    pid_t holder = -1;
    (void)!::read(answer[0], &holder, sizeof holder);
    ::close(answer[0]);
    ::waitpid(child, nullptr, 0);
    return holder;
}

// A syslog socket of the test's own, where the program's /dev/log is under the test root.
class LogSocket
{
public:
    explicit LogSocket(const TestRoot &root)
    {
        QDir().mkpath(root.path("dev"));
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(root.path("dev/log"));
        std::memcpy(address.sun_path, path.constData(), std::min<size_t>(path.size(), sizeof address.sun_path - 1));
        descriptor = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        bound = ::bind(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    }
    ~LogSocket() { ::close(descriptor); }

    // Every line received so far.
    QStringList lines() const
    {
        QStringList received;
        char buffer[8192];
        for (ssize_t size; (size = ::recv(descriptor, buffer, sizeof buffer, 0)) > 0;)
            received << QString::fromUtf8(buffer, int(size));
        return received;
    }

    bool bound = false;

private:
    int descriptor = -1;
};

// Records what the program logs instead of sending it anywhere.
struct RecordedLog
{
    RecordedLog()
    {
        test_hooks::set_log_sink(
            [this](int severity, const QString &line) { lines << QString::number(severity) + ' ' + line; });
    }
    ~RecordedLog() { test_hooks::set_log_sink({}); }
    QStringList lines;
};

void install_real_system(TestRoot &root)
{
    QVERIFY(root.use_real_programs("", {"cron|", "ssh|", "dbusd|", "avahi|dbusd"}));
}

// "@cron 5 K" sets runlevel 5 to K, "-ssh" disables ssh.
void edit(TestTable &table, const QString &steps)
{
    for (const QString &step : steps.split(", ", Qt::SkipEmptyParts)) {
        const QString name = step.mid(1).section(' ', 0, 0);
        table.clearSelection();
        if (step.startsWith('@')) {
            table.level_cell(name, step.section(' ', 1, 1))->setSelected(true);
            table.switch_services_runlevels(step.section(' ', 2));
        } else {
            table.cell(name, 1)->setSelected(true);
            table.switch_services_state(step.startsWith('+'));
        }
    }
}

// Loads a table, edits it and applies, answering every box with Ok; the boxes' "title: text".
QStringList applied(const TestRoot &root, const QString &steps)
{
    TestTable table;
    table.load();
    edit(table, steps);
    ModalWatcher watcher;
    for (int box = 0; box < 3; ++box)
        watcher.expect_message(QMessageBox::Ok);
    table.apply_changes();
    QStringList boxes;
    for (int box = 0; box < watcher.texts.size(); ++box)
        boxes << QString(watcher.titles.at(box) + ": " + watcher.texts.at(box)).replace(root.path(), "");
    return boxes + watcher.unexpected;
}

QString git(const QString &directory, const QStringList &arguments)
{
    QProcess process;
    process.start("git", QStringList{"-C", directory} + arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString etckeeper_missing()
{
    if (!TestRoot::real_programs_missing().isEmpty())
        return TestRoot::real_programs_missing();
    if (!QFileInfo("/usr/bin/etckeeper").isExecutable() || QStandardPaths::findExecutable("git").isEmpty())
        return "etckeeper or git is not installed (Debian packages etckeeper and git; .ci/run installs them, "
               "tools/install-deps does not: etckeeper puts the machine's own /etc under git)";
    return QString();
}

// A scratch /etc under the root kept by the real etckeeper, with its configuration, committed.
void keep_etc_with_etckeeper(TestRoot &root)
{
    QCOMPARE(QProcess::execute("cp", {"-a", "/etc/etckeeper", root.path("etc/")}), 0);
    root.write_file("usr/bin/etckeeper", "#!/bin/sh\nexec /usr/bin/etckeeper \"$@\"\n", true);
    QProcess etckeeper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ETCKEEPER_CONF_DIR", root.path("etc/etckeeper"));
    etckeeper.setProcessEnvironment(environment);
    for (const QStringList &arguments : {QStringList{"init", "-d", root.path("etc")},
                                         QStringList{"commit", "-d", root.path("etc"), "Initial commit"}}) {
        etckeeper.start("/usr/bin/etckeeper", arguments);
        QVERIFY(etckeeper.waitForFinished() && etckeeper.exitCode() == 0);
    }
}

} // namespace

class TestTrace : public QObject
{
    Q_OBJECT

private slots:
    void init() { qputenv("PKEXEC_UID", "0"); }
    void cleanup() { qunsetenv("PKEXEC_UID"); }

    // An entry reads back byte for byte: files without a final newline, empty ones, blank and
    // indented lines, a runlevel entry that is no link; the history keeps the newest 20, and the
    // apply to undo is the newest that no undo undid.
    void the_history_keeps_what_undo_needs()
    {
        TestRoot root;
        BootConfiguration before, after;
        before.links["cron"]
            = {RunlevelLink{"2", "S01cron", "../init.d/cron", true}, RunlevelLink{"3", "S01cron", "", false}};
        after.links["cron"] = {RunlevelLink{"2", "K01cron", "../init.d/cron", true}};
        after.links["ssh"] = {RunlevelLink{"S", "S02ssh", "/etc/init.d/ssh", true}};
        before.overrides["cron"] = "### BEGIN INIT INFO\n\n  # Default-Start: 2\n| odd\n### END INIT INFO";
        after.overrides["cron"] = "";
        after.overrides["ssh"] = "\\ No newline at end of file\n";
        before.generated[".depend.start"] = "TARGETS = cron\n";
        after.generated[".depend.start"] = "TARGETS = cron ssh\n";
        after.generated[".depend.boot"] = "x";
        ApplyPlan plan;
        plan.operation = "undo";
        plan.undoes = "20261207T162430.123Z";
        const HistoryEntry entry = history_entry(plan, before, after, "alice (uid 1000)", {"cron: a line"},
                                                 QDateTime::fromMSecsSinceEpoch(1796660670123, Qt::UTC));
        QCOMPARE(entry.id, "20261207T162430.123Z");
        QCOMPARE(entry.services, QStringList({"cron", "ssh"}));
        const std::optional<HistoryEntry> read = parse_entry(entry.id, entry_text(entry));
        QVERIFY(read);
        QCOMPARE(QStringList({read->date, read->user, read->operation, read->undoes, read->summary.join('|')}),
                 QStringList(
                     {"2026-12-07 16:24:30 UTC", "alice (uid 1000)", "undo", "20261207T162430.123Z", "cron: a line"}));
        for (const auto &[kept, original] :
             {std::make_pair(&read->before, &before), std::make_pair(&read->after, &after)}) {
            QCOMPARE(kept->overrides, original->overrides);
            QCOMPARE(kept->generated, original->generated);
            for (const QString service : {"cron", "ssh"})
                for (int link = 0; link < original->links.value(service).size(); ++link)
                    QCOMPARE(kept->links.value(service).at(link).text(),
                             original->links.value(service).at(link).text());
        }
        QVERIFY(!parse_entry(entry.id, entry_text(entry).replace("/etc/rc2.d/K01cron", "/etc/rc9.d/K01cron")));

        HistoryEntry kept = entry;
        kept.operation = "apply";
        for (int second = 10; second < 32; ++second) {
            kept.id = QStringLiteral("20261207T1624%1.000Z").arg(second);
            QCOMPARE(keep_in_history(kept), QString());
        }
        kept.operation = "undo";
        kept.undoes = "20261207T162431.000Z";
        kept.id = "20261207T162431.000Z";
        QCOMPARE(keep_in_history(kept), QString());
        const QStringList names
            = QDir(root.path("var/lib/vorn-admin-runlevel/history")).entryList(QDir::Files, QDir::Name);
        QCOMPARE(names.size(), kept_history_entries);
        QCOMPARE(names.first(), "20261207T162413.000Z");
        QCOMPARE(names.last(), "20261207T162431.000Z-2");
        QCOMPARE(last_undoable(read_history())->id, "20261207T162430.000Z");
    }

    // While dpkg or apt holds its lock, Apply and Reset do nothing and say why; otherwise the
    // program holds the frontend lock itself while the plan runs, and lets it go after.
    void the_package_manager_holds_applies_back_data()
    {
        QTest::addColumn<QString>("lock");
        QTest::addColumn<bool>("reset");
        QTest::newRow("apt's frontend lock, apply") << "lock-frontend" << false;
        QTest::newRow("dpkg's own lock, reset") << "lock" << true;
    }

    void the_package_manager_holds_applies_back()
    {
        QFETCH(QString, lock);
        QFETCH(bool, reset);
        TestRoot root;
        root.add_script("cron", {"Provides: cron", "Default-Start: 2 3 4 5", "Default-Stop: 0 1 6"});
        root.add_links("2345", "S01cron");
        root.set_listing({"S:01:2 3 4 5:cron"});
        RecordedLog log;
        TestTable table;
        QVERIFY(table.load());
        edit(table, reset ? "" : "@cron 5 K");
        table.cell("cron", 0)->setSelected(reset);
        const auto run = [&] { reset ? table.reset_services_defaults() : table.apply_changes(); };
        QDir().mkpath(root.path("var/lib/dpkg"));
        root.clear_calls();
        {
            HeldLock held(root.path("var/lib/dpkg/" + lock));
            QVERIFY(held.taken);
            ModalWatcher watcher;
            watcher.expect_message(QMessageBox::Ok);
            run();
            QCOMPARE(watcher.titles.value(0) + ": " + watcher.texts.value(0),
                     "Package manager running: The package manager is running; apply when it has finished.");
            QCOMPARE(root.calls(), QStringList());
            QCOMPARE(log.lines.last(), QStringLiteral("4 %1 by root (uid 0): refused: the package manager is running")
                                           .arg(reset ? "reset" : "apply"));
        }
        test_hooks::deny_private_namespaces(true);
        pid_t holder = 0;
        table.process_runner = [&](const QString &program, const QStringList &arguments) {
            holder = lock_holder(root.path("var/lib/dpkg/lock-frontend"));
            return run_process(program, arguments);
        };
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Ok);
        run();
        test_hooks::deny_private_namespaces(false);
        QCOMPARE(holder, ::getpid());
        QCOMPARE(lock_holder(root.path("var/lib/dpkg/lock-frontend")), 0);
    }

    // With the real insserv: the log, read back from a syslog socket of the test's own, says who
    // asked for what, service by service, and what came of it, a refused rehearsal included; the
    // history keeps the apply.
    void an_apply_leaves_a_trace()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        TestRoot root;
        install_real_system(root);
        LogSocket socket(root);
        QVERIFY(socket.bound);
        QCOMPARE(applied(root, "@cron 5 K"), QStringList{"Result: Changes are applied"});
        QVERIFY(applied(root, "-dbusd").first().startsWith("Not applied: "));
        QStringList lines;
        const QRegularExpression syslog_line(
            QStringLiteral("^<(\\d+)>[A-Z][a-z][a-z] [ \\d]\\d \\d\\d:\\d\\d:\\d\\d vorn-admin-runlevel\\[%1\\]: (.*)$")
                .arg(::getpid()));
        for (const QString &line : socket.lines()) {
            const QRegularExpressionMatch match = syslog_line.match(line);
            lines << QString(match.hasMatch() ? match.captured(1) + ' ' + match.captured(2) : line)
                         .replace(root.path(), "");
        }
        QCOMPARE(
            lines,
            QStringList({"85 apply by root (uid 0): cron",
                         "85 apply: cron: start 2 3 4 5, stop 0 1 6 -> start 2 3 4, stop 0 1 5 6; Default-Start: 2 3 4 "
                         "5 -> 2 3 4; "
                         "Default-Stop: 0 1 6 -> 0 1 5 6; runs /sbin/insserv --remove --force cron, /sbin/insserv cron",
                         "85 apply by root (uid 0): done", "85 apply by root (uid 0): dbusd",
                         "85 apply: dbusd: start 2 3 4 5, stop 0 1 6 -> stop 0 1 2 3 4 5 6; runs /usr/sbin/update-rc.d "
                         "dbusd disable 2 3 4 5",
                         "84 apply by root (uid 0): refused: avahi requires dbusd in runlevels 2 3 4 5; disabling "
                         "dbusd would stop "
                         "avahi from starting."}));
        const QList<HistoryEntry> history = read_history();
        QCOMPARE(history.size(), 1);
        QCOMPARE(QString(history.first().summary.join('|')).replace(root.path(), ""), lines.at(1).mid(10));
        QCOMPARE(history.first().services, QStringList{"cron"});
    }

    // With the real etckeeper on a scratch /etc: what was uncommitted is committed first, the
    // change afterwards, and the preview says both will be; an etckeeper that fails is a warning.
    void etckeeper_commits_before_and_after()
    {
        if (!etckeeper_missing().isEmpty())
            QSKIP(qPrintable(etckeeper_missing()));
        const QString host_head = QFileInfo::exists("/etc/.git") ? git("/etc", {"rev-parse", "HEAD"}) : QString();
        TestRoot root;
        install_real_system(root);
        keep_etc_with_etckeeper(root);
        root.write_file("etc/motd", "changed by hand\n");
        TestTable table;
        QVERIFY(table.load());
        edit(table, "@cron 5 K");
        QString preview;
        const auto confirm = [&](const QString &, const QString &shown) {
            preview = shown;
            return true;
        };
        QCOMPARE(table.run_plan(table.changes_plan(), confirm, QString(), nullptr), ServiceTable::PlanResult::Applied);
        QVERIFY(preview.startsWith("etckeeper keeps /etc: whatever is uncommitted there is committed first (\"saving "
                                   "uncommitted changes in /etc prior to vorn-admin-runlevel run\")"));
        const QString etc = root.path("etc");
        QCOMPARE(git(etc, {"log", "--format=%s"}).split('\n'),
                 QStringList({"vorn-admin-runlevel: apply by root (uid 0)",
                              "saving uncommitted changes in /etc prior to "
                              "vorn-admin-runlevel run",
                              "Initial commit"}));
        QVERIFY(git(etc, {"log", "-1", "--format=%b"}).startsWith("cron: start 2 3 4 5, stop 0 1 6 -> start 2 3 4"));
        const QString saved = git(etc, {"diff", "--name-only", "HEAD~2", "HEAD~1"});
        QVERIFY2(saved.split('\n').contains("motd") && !saved.contains("insserv"), qPrintable(saved));
        QVERIFY(git(etc, {"diff", "--name-only", "HEAD~1", "HEAD"}).contains("insserv/overrides/cron"));
        QCOMPARE(git(etc, {"status", "--porcelain"}), QString());

        root.write_file("usr/bin/etckeeper",
                        "#!/bin/sh\n[ \"$1\" = unclean ] && exit 0\necho 'index.lock exists' >&2\nexit 1\n", true);
        TestTable again;
        QVERIFY(again.load());
        edit(again, "@cron 5 S");
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Ok);
        QCOMPARE(again.run_plan(again.changes_plan(), confirm, QString(), nullptr), ServiceTable::PlanResult::Applied);
        QCOMPARE(watcher.titles.value(0) + ": " + watcher.texts.value(0),
                 "Applied, with a warning: etckeeper could not commit what was uncommitted in /etc before the change: "
                 "index.lock exists\n\netckeeper could not commit the change in /etc: index.lock exists");
        QCOMPARE(read_boot_configuration(root.path()).states_of("cron").value("5"), 'S');
        if (!host_head.isEmpty())
            QCOMPARE(git("/etc", {"rev-parse", "HEAD"}), host_head);
    }
};

QTEST_MAIN(TestTrace)
#include "tst_trace.moc"
