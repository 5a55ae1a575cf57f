#include "tests/support/fake_insserv.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// $* keeps the argument order; an empty last argument shows as a trailing blank.
const char script[] = R"(#!/bin/sh
ctl='@CTL@'
printf '%s\n' "@PREFIX@$*" >> "$ctl/@LOG@"
key=
for key; do :; done
[ "$1" = -s ] && key=listing
[ @PRELIMINARY@ = yes ] && key=preliminary
[ -n "@PREFIX@" ] && key="update-rc.d $1"
behaviour=
[ -f "$ctl/behaviour/$key" ] && behaviour=$(cat "$ctl/behaviour/$key")
[ -f "$ctl/behaviour/=@PREFIX@$*" ] && behaviour=$(cat "$ctl/behaviour/=@PREFIX@$*")
[ -f "$ctl/stderr/$key" ] && cat "$ctl/stderr/$key" >&2
[ "$behaviour" = silent ] && exec sleep 30
if [ "$key" = listing ] && [ -f "$ctl/listing" ]; then
    if [ "$behaviour" = trickle ]; then
        while IFS= read -r line; do printf '%s\n' "$line"; sleep 0.2; done < "$ctl/listing"
    else
        cat "$ctl/listing"
    fi
fi
case "$behaviour" in
hang) exec sleep 30 ;;
crash) kill -SEGV $$ ;;
exit*) exit ${behaviour#exit } ;;
esac
exit 0
)";

void write(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QStringList read_lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    lines.removeLast();
    return lines;
}

} // namespace

FakeInsserv::FakeInsserv(const QString &root)
    : root(root)
{
    QDir().mkpath(control(QStringLiteral("behaviour")));
    QDir().mkpath(control(QStringLiteral("stderr")));
    install(root + QStringLiteral("/sbin/insserv"), QStringLiteral("calls"), false);
    install(root + QStringLiteral("/bin/insserv"), QStringLiteral("preliminary-calls"), true);
    install(root + QStringLiteral("/usr/sbin/update-rc.d"), QStringLiteral("calls"), false, "update-rc.d ");
    // Only the fake can be found: never the host's own insserv.
    qputenv("PATH", QFile::encodeName(root + QStringLiteral("/bin:/usr/bin:/bin")));
}

void FakeInsserv::install(const QString &program, const QString &log, bool preliminary, const char *prefix)
{
    QByteArray text(script);
    text.replace("@PREFIX@", prefix);
    text.replace("@CTL@", QFile::encodeName(control(QString())));
    text.replace("@LOG@", log.toUtf8());
    text.replace("@PRELIMINARY@", preliminary ? "yes" : "no");
    write(program, text);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString FakeInsserv::control(const QString &name) const
{
    return root + QStringLiteral("/fake-insserv/") + name;
}

void FakeInsserv::set_listing(const QStringList &lines)
{
    write(control(QStringLiteral("listing")), lines.isEmpty() ? QByteArray() : (lines.join('\n') + '\n').toUtf8());
}

void FakeInsserv::set_behaviour(const QString &key, const QString &behaviour)
{
    write(control(QStringLiteral("behaviour/") + key), behaviour.toUtf8());
}

void FakeInsserv::set_stderr(const QString &key, const QString &text)
{
    write(control(QStringLiteral("stderr/") + key), text.toUtf8());
}

void FakeInsserv::remove_program()
{
    QFile::remove(root + QStringLiteral("/sbin/insserv"));
}

QStringList FakeInsserv::calls() const
{
    return read_lines(control(QStringLiteral("calls")));
}

QStringList FakeInsserv::preliminary_calls() const
{
    return read_lines(control(QStringLiteral("preliminary-calls")));
}

void FakeInsserv::clear_calls()
{
    QFile::remove(control(QStringLiteral("calls")));
    QFile::remove(control(QStringLiteral("preliminary-calls")));
}
