#pragma once

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A temporary system root holding every fixed path of the program. While it
// lives, the program reads and writes only inside it.
//
// A fake insserv stands in for the real one as the root's "/sbin/insserv" and,
// first on PATH, as "insserv" (the preliminary run), and for update-rc.d as
// "/usr/sbin/update-rc.d". It records every command line (update-rc.d's with
// its name in front) and behaves as the test tells it, per key: the service
// name (the last argument), "update-rc.d NAME", "listing" for "-s" and
// "preliminary" for the run without arguments; a key "=" followed by a whole
// command line as recorded acts on that command only.
//
// Debian's "service" is a fake too ("/usr/sbin/service"): it records its command
// lines and runs the root's own script. A daemon's script answers each action:
// its status action exits with what set_status_answer() last said ("0", "3",
// "hang" to hang with a child...; "3" at first), start and stop set that answer
// to "0" and "3", and every action it is asked is recorded.
class TestRoot
{
public:
    TestRoot();
    ~TestRoot();

    QString path(const QString &relative = QString()) const
    {
        return relative.isEmpty() ? directory.path() : directory.filePath(relative);
    }
    void write_file(const QString &relative, const QByteArray &content, bool executable = false);
    QByteArray read_file(const QString &relative) const;
    // An executable shell script whose header holds the given field lines, e.g. "Provides: cron".
    void add_script(const QString &name, const QStringList &fields);
    void add_override(const QString &name, const QStringList &fields)
    {
        write_file("etc/insserv/overrides/" + name, header(fields));
    }
    // A link such as "S20cron" to its script in each runlevel named, e.g. "2345".
    void add_links(const QString &runlevels, const QString &link_name);
    static QByteArray header(const QStringList &fields);

    // Replaces the fakes by the real insserv, with every path pointing into the root (without
    // -i it would write its dependency files into the host's own /etc/init.d), and by Debian's
    // update-rc.d, which has no option for another root: it runs in a private mount namespace
    // where the root stands in for /etc, and leaves systemd alone. The scripts are
    // "NAME|REQUIRED[|START[|STOP]]", by default started on 2 to 5 and stopped on 0, 1 and 6;
    // they are registered. False when insserv refused them.
    bool use_real_programs(const QString &config, const QStringList &scripts);
    // Whether the real programs and private mount namespaces are at hand (root, and the
    // Debian packages insserv and init-system-helpers); why not, if they are not.
    static QString real_programs_missing();
    // Makes the real insserv refuse these arguments on the root itself, though not in the
    // private copy an apply is rehearsed on: as if the machine had changed unseen.
    void fail_on_machine(const QString &arguments);
    void add_daemon(const QString &name, const QStringList &fields);
    void set_status_answer(const QString &name, const QString &answer) { write_file("run/" + name, answer.toUtf8()); }
    // The next start of the daemon prints this and fails.
    void set_start_failure(const QString &name, const QString &output)
    {
        write_file("run/" + name + ".fails", output.toUtf8());
    }
    // "NAME ACTION" of every daemon script run, and the fake service's command lines.
    QStringList script_calls() const { return lines_of("fake/script-calls"); }
    QStringList service_calls() const { return lines_of("fake/service-calls"); }

    void set_listing(const QStringList &lines);
    // One of "exit N", "crash", "hang" (after any output), "silent" (no output, no
    // end) or, for the listing, "trickle" (one line at a time, with pauses).
    void set_behaviour(const QString &key, const QString &what) { write_file("fake/behaviour/" + key, what.toUtf8()); }
    void set_stderr(const QString &key, const QString &text) { write_file("fake/stderr/" + key, text.toUtf8()); }
    void remove_insserv() { QFile::remove(path("sbin/insserv")); }
    // The command lines of the fake, or those of the preliminary run.
    QStringList calls(bool preliminary = false) const;
    void clear_calls();

private:
    QStringList lines_of(const QString &relative) const;

    QTemporaryDir directory;
};
