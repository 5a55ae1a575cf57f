#include "catalogue/system_paths.h"

#include "catalogue/test_hooks.h"

namespace {

QString system_root_path;
int timeout_ms = 30000;

QString located(const QString &fixed_path)
{
    return system_root_path + fixed_path;
}

} // namespace

void test_hooks::set_system_root(const QString &root)
{
    system_root_path = root;
}

void test_hooks::set_process_timeout(int milliseconds)
{
    timeout_ms = milliseconds;
}

QString system_root()
{
    return system_root_path;
}

QStringList boot_configuration_paths(const QString &root)
{
    QStringList paths{root + QStringLiteral("/etc/init.d"), root + QStringLiteral("/etc/insserv"),
                      root + QStringLiteral("/etc/insserv.conf"), root + QStringLiteral("/etc/insserv.conf.d")};
    for (const QString &runlevel : all_runlevels())
        paths.append(root + QStringLiteral("/etc/rc%1.d").arg(runlevel));
    return paths;
}

QString init_scripts_path()
{
    return located(QStringLiteral("/etc/init.d"));
}

QString overrides_path()
{
    return located(QStringLiteral("/etc/insserv/overrides"));
}

QString insserv_config_path()
{
    return located(QStringLiteral("/etc/insserv.conf"));
}

QString insserv_config_dir_path()
{
    return located(QStringLiteral("/etc/insserv.conf.d"));
}

QString runlevel_path(const QString &runlevel)
{
    return located(QStringLiteral("/etc/rc%1.d").arg(runlevel));
}

QString insserv_program()
{
    return located(QStringLiteral("/sbin/insserv"));
}

// Debian's own tool for disabling a service so that package upgrades keep it so.
QString update_rc_d_program()
{
    return located(QStringLiteral("/usr/sbin/update-rc.d"));
}

// Debian's wrapper that runs an init script the way init would.
QString service_program()
{
    return located(QStringLiteral("/usr/sbin/service"));
}

QString history_path()
{
    return located(QStringLiteral("/var/lib/vorn-admin-runlevel/history"));
}

QString dpkg_frontend_lock_path()
{
    return located(QStringLiteral("/var/lib/dpkg/lock-frontend"));
}

QString dpkg_lock_path()
{
    return located(QStringLiteral("/var/lib/dpkg/lock"));
}

QString etc_path()
{
    return located(QStringLiteral("/etc"));
}

QString etckeeper_program()
{
    return located(QStringLiteral("/usr/bin/etckeeper"));
}

// etckeeper writes it when it takes /etc over, and keeps it.
QString etckeeper_marker_path()
{
    return located(QStringLiteral("/etc/.etckeeper"));
}

QString system_log_socket_path()
{
    return located(QStringLiteral("/dev/log"));
}

int process_timeout()
{
    return timeout_ms;
}

bool is_plain_file_name(const QString &name)
{
    const int name_max = 255;
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar::Null) && name.toUtf8().size() <= name_max;
}

QDir init_scripts_dir()
{
    return QDir(init_scripts_path());
}

QDir overrides_dir()
{
    return QDir(overrides_path());
}

QStringList all_runlevels()
{
    return {QStringLiteral("S"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
            QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("0")};
}

QList<QDir> runlevel_directories()
{
    QList<QDir> result;
    for (const QString &runlevel : all_runlevels())
        result.append(QDir(runlevel_path(runlevel), QStringLiteral("[SK][0-9][0-9]*"),
                           QDir::Unsorted, QDir::Files));
    return result;
}
