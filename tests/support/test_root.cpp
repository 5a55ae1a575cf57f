#include "tests/support/test_root.h"

#include "catalogue/service_info.h"
#include "catalogue/test_hooks.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <unistd.h>

namespace {

// Only the newest root is in effect; an older one destroyed later leaves it so.
const TestRoot *current_root = nullptr;
QByteArray host_path;

} // namespace

TestRoot::TestRoot()
{
    if (!current_root)
        host_path = qgetenv("PATH");
    current_root = this;
    QDir().mkpath(path("etc/init.d"));
    QDir().mkpath(path("etc/insserv/overrides"));
    QFile script(FAKE_INSSERV);
    QVERIFY(script.open(QIODevice::ReadOnly));
    const QByteArray fake = script.readAll().replace("@CTL@", QFile::encodeName(path("fake")));
    for (const char *program : {"sbin/insserv", "bin/insserv", "usr/sbin/update-rc.d"})
        write_file(program, fake, true);
    write_file("usr/sbin/service", QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '%1/fake/service-calls'\n"
                                                  "exec '%1/etc/init.d/'\"$1\" \"$2\"\n").arg(path()).toUtf8(), true);
    // Only the fake can be found: never the host's own insserv.
    qputenv("PATH", QFile::encodeName(path("bin") + ":/usr/bin:/bin"));
    test_hooks::set_system_root(directory.path());
    // The tests administer their own root, whoever runs them.
    test_hooks::assume_administrator_rights(true);
    // Every root brings its own insserv configuration.
    ServiceInfo::_virtual_facilities.clear();
}

TestRoot::~TestRoot()
{
    if (current_root != this)
        return;
    current_root = nullptr;
    test_hooks::set_system_root(QString());
    test_hooks::assume_administrator_rights(std::nullopt);
    ServiceInfo::_virtual_facilities.clear();
    qputenv("PATH", host_path);
}

void TestRoot::write_file(const QString &relative, const QByteArray &content, bool executable)
{
    QDir().mkpath(QFileInfo(path(relative)).path());
    QFile file(path(relative));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size());
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner);
}

QByteArray TestRoot::read_file(const QString &relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray TestRoot::header(const QStringList &fields)
{
    QByteArray text("### BEGIN INIT INFO\n");
    for (const QString &field : fields)
        text += "# " + field.toUtf8() + '\n';
    return text + "### END INIT INFO\n";
}

void TestRoot::add_script(const QString &name, const QStringList &fields)
{
    write_file("etc/init.d/" + name, "#!/bin/sh\n" + header(fields) + "exit 0\n", true);
}

void TestRoot::add_daemon(const QString &name, const QStringList &fields)
{
    static const char body[] = R"(run='@ROOT@/run' name='@NAME@'
printf '%s %s\n' "$name" "$1" >> '@ROOT@/fake/script-calls'
case "$1" in
start)
    echo "Starting $name"
    if [ -f "$run/$name.fails" ]; then cat "$run/$name.fails"; rm "$run/$name.fails"; exit 1; fi
    echo 0 > "$run/$name" ;;
stop)
    echo "Stopping $name"
    echo 3 > "$run/$name" ;;
restart)
    "$0" stop && "$0" start ;;
status)
    answer=$(cat "$run/$name" 2>/dev/null || echo 3)
    if [ "$answer" = hang ]; then sleep 30 & echo $! > "$run/$name.child"; wait; fi
    [ -z "${VORN_LEAK:-}" ] || exit 0
    exit "$answer" ;;
*)
    echo "Usage: $0 {start|stop|restart|status}" >&2
    exit 3 ;;
esac
)";
    QDir().mkpath(path("run"));
    QDir().mkpath(path("fake"));
    const QByteArray text
        = QByteArray(body).replace("@ROOT@", QFile::encodeName(path())).replace("@NAME@", name.toUtf8());
    write_file("etc/init.d/" + name, "#!/bin/sh\n" + header(fields) + text, true);
}

void TestRoot::add_links(const QString &runlevels, const QString &link_name)
{
    for (const QChar runlevel : runlevels) {
        QDir().mkpath(path(QStringLiteral("etc/rc%1.d").arg(runlevel)));
        QVERIFY(QFile::link("../init.d/" + link_name.mid(3),
                            path(QStringLiteral("etc/rc%1.d/").arg(runlevel) + link_name)));
    }
}

void TestRoot::set_listing(const QStringList &lines)
{
    write_file("fake/listing", lines.isEmpty() ? QByteArray() : (lines.join('\n') + '\n').toUtf8());
}

QStringList TestRoot::calls(bool preliminary) const
{
    return lines_of(preliminary ? "fake/preliminary-calls" : "fake/calls");
}

QStringList TestRoot::lines_of(const QString &relative) const
{
    QStringList lines = QString::fromUtf8(read_file(relative)).split('\n');
    lines.removeLast();
    return lines;
}

void TestRoot::clear_calls()
{
    QFile::remove(path("fake/calls"));
    QFile::remove(path("fake/preliminary-calls"));
}

namespace {

QString own_mount_namespace()
{
    char target[64] = {};
    return ::readlink("/proc/self/ns/mnt", target, sizeof target - 1) > 0 ? QString::fromLatin1(target) : QString();
}

QString real_insserv(const QString &root, const QString &refused = QString())
{
    QString wrapper = QStringLiteral("#!/bin/sh\n");
    if (!refused.isEmpty())
        wrapper += QStringLiteral("[ \"$(readlink /proc/self/ns/mnt)\" = '%1' ] && [ \"$*\" = '%2' ] && "
                                  "{ echo 'insserv: refused on the machine' >&2; exit 1; }\n")
                       .arg(own_mount_namespace(), refused);
    return wrapper + QStringLiteral("exec /sbin/insserv -p '%1/etc/init.d' -c '%1/etc/insserv.conf' -o "
                                    "'%1/etc/insserv/overrides' -i '%1/etc/init.d' \"$@\"\n").arg(root);
}

} // namespace

void TestRoot::fail_on_machine(const QString &arguments)
{
    write_file("sbin/insserv", real_insserv(path(), arguments).toUtf8(), true);
}

bool TestRoot::use_real_programs(const QString &config, const QStringList &scripts)
{
    write_file("sbin/insserv", real_insserv(path()).toUtf8(), true);
    write_file("bin/insserv", real_insserv(path()).toUtf8(), true);
    write_file("usr/sbin/update-rc.d",
               QStringLiteral("#!/bin/sh\n_SKIP_SYSTEMD_NATIVE=1 exec '%1/tools/sample-namespace' "
                              "--root '%2' -- /usr/sbin/update-rc.d \"$@\"\n")
                   .arg(SOURCE_DIR, path())
                   .toUtf8(),
               true);
    write_file("etc/insserv.conf", config.toUtf8());
    QStringList names;
    for (const QString &script : scripts) {
        const QStringList parts = (script + "|||").split('|');
        names << parts.at(0);
        add_script(parts.at(0), {"Provides: " + parts.at(0), "Required-Start: " + parts.at(1),
                                 "Required-Stop: " + parts.at(1),
                                 "Default-Start: " + (script.count('|') > 1 ? parts.at(2) : "2 3 4 5"),
                                 "Default-Stop: " + (script.count('|') > 2 ? parts.at(3) : "0 1 6")});
    }
    return !path().contains('\'') && QProcess::execute(path("sbin/insserv"), names) == 0;
}

QString TestRoot::real_programs_missing()
{
    if (!QFileInfo("/sbin/insserv").isExecutable() || !QFileInfo("/usr/sbin/update-rc.d").isExecutable())
        return QStringLiteral("insserv or update-rc.d is not installed (Debian packages insserv, init-system-helpers)");
    if (QProcess::execute("unshare", {"--mount", "--propagation", "unchanged", "true"}) != 0)
        return QStringLiteral("no private mount namespaces here (needs root)");
    return QString();
}
