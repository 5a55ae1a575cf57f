#pragma once

#include <QString>
#include <QStringList>

// Stands in for insserv inside a test root: installed as the root's
// "/sbin/insserv" and, first on PATH, as "insserv", and for update-rc.d as
// "/usr/sbin/update-rc.d". Records every command line (update-rc.d's with its
// name in front) and behaves as the test tells it, per service name (the last
// argument; "update-rc.d NAME" for update-rc.d), "listing" for "-s" and
// "preliminary" for the run without arguments.
class FakeInsserv
{
public:
    explicit FakeInsserv(const QString &root);

    void set_listing(const QStringList &lines);
    // One of "exit N", "crash", "hang" (after any output), "silent" (no output, no
    // end) or, for the listing, "trickle" (one line at a time, with pauses). A key
    // "=" followed by a whole command line as recorded acts on that command only.
    void set_behaviour(const QString &key, const QString &behaviour);
    void set_stderr(const QString &key, const QString &text);
    void remove_program();

    QStringList calls() const;
    QStringList preliminary_calls() const;
    void clear_calls();

private:
    void install(const QString &program, const QString &log, bool preliminary, const char *prefix = "");
    QString control(const QString &name) const;

    QString root;
};
