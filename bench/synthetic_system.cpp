#include "bench/synthetic_system.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <random>

namespace {

const QStringList normal_start{"2", "3", "4", "5"};
const QStringList normal_stop{"0", "1", "6"};
const QStringList shutdown_only{"0", "6"};

// Debian's own insserv.conf, less the members that no generated script provides.
const char insserv_conf[] = "# /etc/insserv.conf: virtual facilities\n"
                            "$local_fs\t+mountall +mountall-bootclean +umountfs\n"
                            "$network\t+networking +ifupdown\n"
                            "$named\t\t+named $network\n"
                            "$remote_fs\t$local_fs +mountnfs +umountnfs +sendsigs\n"
                            "$syslog\t\t+rsyslog +sysklogd +syslog-ng\n"
                            "$time\t\t+hwclock\n"
                            "<interactive>\tudev console-setup keyboard-setup\n";

const QHash<QString, QStringList> facility_members{
    {"$local_fs", {"mountall", "mountall-bootclean", "umountfs"}},
    {"$network", {"networking"}},
    {"$named", {"networking"}},
    {"$remote_fs", {"mountall", "mountall-bootclean", "umountfs", "mountnfs", "umountnfs", "sendsigs"}},
    {"$syslog", {"rsyslog"}},
    {"$time", {"hwclock"}},
};

const QStringList words{
    "acpid",     "apache",   "atd",        "avahi",    "bind",       "bluetooth", "chrony",    "cron",
    "cups",      "dbus",     "docker",     "exim",     "fail2ban",   "haproxy",   "irqbalance", "kexec",
    "keepalived", "lighttpd", "lvm",       "mariadb",  "memcached",  "minidlna",  "mdadm",     "nagios",
    "nfs-server", "nginx",   "nscd",       "ntp",      "openvpn",    "postfix",   "postgresql", "prometheus",
    "proftpd",   "puppet",   "rabbitmq",   "redis",    "rpcbind",    "rsync",     "samba",     "saned",
    "slapd",     "smartd",   "snmpd",      "squid",    "ssh",        "sysstat",   "tomcat",    "uuidd",
    "varnish",   "vsftpd",   "winbind",    "xinetd",   "zabbix-agent", "gdm",     "lightdm",   "plymouth",
    "hddtemp",   "ifplugd",  "kerneloops", "lm-sensors",
};

// Its status action answers in 20 ms, as a quick real one does.
const char body[] = "\nPATH=/sbin:/usr/sbin:/bin:/usr/bin\nDAEMON=/usr/sbin/@NAME@\n"
                    "[ \"$1\" = status ] && { sleep 0.02; exit 3; }\n"
                    "[ -x \"$DAEMON\" ] || exit 0\n. /lib/lsb/init-functions\n\ncase \"$1\" in\n"
                    "start)\n\tlog_daemon_msg \"Starting @NAME@\" \"@NAME@\"\n"
                    "\tstart-stop-daemon --start --quiet --exec \"$DAEMON\"\n\tlog_end_msg $?\n\t;;\n"
                    "stop)\n\tlog_daemon_msg \"Stopping @NAME@\" \"@NAME@\"\n"
                    "\tstart-stop-daemon --stop --quiet --exec \"$DAEMON\"\n\tlog_end_msg $?\n\t;;\n"
                    "restart|force-reload)\n\t$0 stop\n\t$0 start\n\t;;\n"
                    "status)\n\tstatus_of_proc \"$DAEMON\" @NAME@\n\t;;\n"
                    "*)\n\techo \"Usage: $0 {start|stop|restart|force-reload|status}\" >&2\n\texit 3\n\t;;\n"
                    "esac\nexit 0\n";

void write_file(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Values aligned in one column, as Debian's scripts write them.
QString field(const char *name, const QStringList &values)
{
    const QString key = QLatin1String(name) + ':';
    if (values.isEmpty())
        return "# " + key + '\n';
    return "# " + key.leftJustified(19) + values.join(' ') + '\n';
}

} // namespace

SyntheticSystem::SyntheticSystem(const QString &root, int size)
    : root(root)
{
    add_base_scripts();
    add_generated_scripts(std::max(size - int(scripts.size()), 0));
    compute_levels();
}

void SyntheticSystem::add_base_scripts()
{
    const auto add = [this](const char *name, QStringList required, QStringList start, QStringList stop) {
        Script script;
        script.name = name;
        script.required = required;
        script.start_levels = start;
        script.stop_levels = stop;
        scripts.append(script);
    };
    add("mountall", {}, {"S"}, {});
    add("mountall-bootclean", {"mountall"}, {"S"}, {});
    add("hwclock", {}, {"S"}, shutdown_only);
    add("networking", {"$local_fs"}, {"S"}, shutdown_only);
    add("mountnfs", {"$local_fs", "$network"}, {"S"}, {});
    add("umountfs", {}, {}, shutdown_only);
    add("umountnfs", {}, {}, shutdown_only);
    add("sendsigs", {}, {}, shutdown_only);
    add("rsyslog", {"$remote_fs", "$time"}, normal_start, normal_stop);
}

// Most services start in 2 to 5 after the usual facilities and up to three
// earlier services; every 50th only stops at shutdown, every 40th has no links,
// every 45th has stop links where it would start, every 60th has an override
// that stops it in runlevel 5, and the last two are not executable and exist
// only through their overrides.
void SyntheticSystem::add_generated_scripts(int count)
{
    std::mt19937 random(17);
    // Only services that start in all of 2 to 5 can be needed by others: insserv
    // refuses a service that needs one missing (or disabled) in its runlevels.
    QList<int> candidates;
    for (int i = 0; i < count; ++i) {
        Script script;
        const int round = i / words.size();
        script.name = words.at(i % words.size()) + (round ? QStringLiteral("-%1").arg(round + 1) : QString());
        if (i % 20 == 7)
            script.alias = script.name + QStringLiteral("-compat");
        script.linked = i % 40 != 39;
        script.disabled_by_stop_links = i % 45 == 22;
        script.overridden = i % 60 == 30;
        if (i % 50 == 49) {
            script.required = QStringList{"$remote_fs"};
            script.stop_levels = shutdown_only;
        } else {
            script.required = QStringList{"$remote_fs", "$syslog"};
            if (i % 3 == 0)
                script.required.append("$network");
            if (i % 5 == 0)
                script.required.append("$time");
            for (int n = random() % 4; n > 0 && !candidates.isEmpty(); --n)
                script.required.append(scripts.at(candidates.at(random() % candidates.size())).name);
            script.required.removeDuplicates();
            if (i % 4 == 0)
                script.should.append("$named");
            if (i % 3 == 1 && !candidates.isEmpty())
                script.should.append(scripts.at(candidates.at(random() % candidates.size())).name);
            script.start_levels = normal_start;
            script.stop_levels = normal_stop;
            if (script.overridden) {
                script.start_levels.removeAll("5");
                script.stop_levels = QStringList{"0", "1", "5", "6"};
            }
        }
        if (i >= count - 2 && count > 10) {
            script.executable = script.linked = false;
            script.overridden = true;
        } else if (script.start_levels == normal_start && !script.disabled_by_stop_links) {
            candidates.append(scripts.size());
        }
        scripts.append(script);
    }
}

// The start sequence of a service is one more than that of the latest service it
// needs, as insserv numbers them; the kill sequence mirrors it.
void SyntheticSystem::compute_levels()
{
    QHash<QString, int> levels;
    for (Script &script : scripts) {
        int level = 0;
        for (const QString &need : script.required + script.should) {
            for (const QString &name : facility_members.value(need, QStringList{need}))
                level = std::max(level, levels.value(name, 0));
        }
        script.level = level + 1;
        max_level = std::max(max_level, script.level);
        if (!script.start_levels.isEmpty())
            levels.insert(script.name, script.level);
    }
    if (max_level > 98)
        qFatal("dependency chains too long for two-digit sequence numbers");
}

QByteArray SyntheticSystem::header(const Script &script, bool as_override) const
{
    // The script's own header keeps the defaults its override changes.
    const bool defaults = script.overridden && script.executable && !as_override;
    QString text = QStringLiteral("### BEGIN INIT INFO\n");
    text += field("Provides",
                  QStringList{script.name} + (script.alias.isEmpty() ? QStringList() : QStringList{script.alias}));
    text += field("Required-Start", script.required);
    text += field("Required-Stop", script.required);
    text += field("Should-Start", script.should);
    text += field("Should-Stop", script.should);
    text += field("Default-Start", defaults ? normal_start : script.start_levels);
    text += field("Default-Stop", defaults ? normal_stop : script.stop_levels);
    text += field("Short-Description", {"Synthetic service", script.name});
    text += field("Description", {"Runs", script.name, "with its configuration from /etc/default"});
    text += QStringLiteral("#                    and logs what it does to the system log.\n");
    return (text + QStringLiteral("### END INIT INFO\n")).toUtf8();
}

QByteArray SyntheticSystem::script_text(const Script &script) const
{
    QByteArray text = "#!/bin/sh\n" + header(script, false) + body;
    return text.replace("@NAME@", script.name.toUtf8());
}

QByteArray SyntheticSystem::listing() const
{
    QStringList starts, kills;
    for (const Script &script : scripts) {
        if (!script.executable)
            continue;
        if (!script.start_levels.isEmpty())
            starts.append(QStringLiteral("S:%1:%2:%3").arg(start_sequence(script), 2, 10, QChar('0'))
                              .arg(script.start_levels.join(' '), script.name));
        if (!script.stop_levels.isEmpty())
            kills.append(QStringLiteral("K:%1:%2:%3").arg(kill_sequence(script), 2, 10, QChar('0'))
                             .arg(script.stop_levels.join(' '), script.name));
    }
    starts.sort();
    kills.sort();
    return ((starts + kills).join('\n') + '\n').toUtf8();
}

void SyntheticSystem::write_links(const Script &script) const
{
    const auto link = [this, &script](const QString &runlevel, const QString &kind, int sequence) {
        const QString name = QStringLiteral("%1%2%3").arg(kind).arg(sequence, 2, 10, QChar('0')).arg(script.name);
        QFile::link("../init.d/" + script.name, QStringLiteral("%1/etc/rc%2.d/%3").arg(root, runlevel, name));
    };
    for (const QString &runlevel : script.start_levels) {
        if (script.disabled_by_stop_links)
            link(runlevel, "K", kill_sequence(script));
        else
            link(runlevel, "S", start_sequence(script));
    }
    for (const QString &runlevel : script.stop_levels)
        link(runlevel, "K", kill_sequence(script));
}

void SyntheticSystem::write() const
{
    for (const QString &runlevel : QStringList{"S", "0", "1", "2", "3", "4", "5", "6"})
        QDir().mkpath(QStringLiteral("%1/etc/rc%2.d").arg(root, runlevel));
    QDir().mkpath(root + "/etc/insserv/overrides");
    write_file(root + "/etc/insserv.conf", insserv_conf);
    for (const Script &script : scripts) {
        const QString path = root + "/etc/init.d/" + script.name;
        write_file(path, script_text(script));
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        if (script.executable)
            permissions |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QFile::setPermissions(path, permissions);
        if (script.linked)
            write_links(script);
    }
    restore_overrides();
    write_file(root + "/bench-insserv/listing", listing());
}

void SyntheticSystem::restore_overrides() const
{
    QDir overrides(root + "/etc/insserv/overrides");
    for (const QString &name : overrides.entryList(QDir::Files))
        overrides.remove(name);
    for (const Script &script : scripts) {
        if (script.overridden)
            write_file(override_path(script.name), header(script, true));
    }
}

QString SyntheticSystem::override_path(const QString &name) const
{
    return root + "/etc/insserv/overrides/" + name;
}

QStringList SyntheticSystem::names() const
{
    QStringList result;
    for (const Script &script : scripts)
        result.append(script.name);
    return result;
}

void SyntheticSystem::write_program(const QString &relative, const QByteArray &text) const
{
    if (root.contains('\''))
        qFatal("the root's path cannot be quoted for the shell");
    write_file(root + relative, text);
    QFile::setPermissions(root + relative, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void SyntheticSystem::install_fake_insserv(const QString &program) const
{
    for (const QString &installed : {root + "/sbin/insserv", root + "/bin/insserv"}) {
        QDir().mkpath(QFileInfo(installed).path());
        QFile::remove(installed);
        if (!QFile::copy(program, installed))
            qFatal("cannot install %s", qPrintable(program));
    }
}

void SyntheticSystem::install_real_insserv() const
{
    const QByteArray text
        = QStringLiteral("#!/bin/sh\nexec /sbin/insserv -p '%1/etc/init.d' -o '%1/etc/insserv/overrides'"
                         " -c '%1/etc/insserv.conf' -i '%1/etc/init.d' \"$@\"\n")
              .arg(root)
              .toUtf8();
    write_program("/sbin/insserv", text);
    write_program("/bin/insserv", text);
}
