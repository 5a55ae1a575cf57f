#include "catalogue/system_paths.h"

#include "catalogue/name_filter.h"
#include "catalogue/test_hooks.h"

#include <QFile>

#include <algorithm>
#include <map>
#include <memory>

#include <dirent.h>

namespace {

QString system_root;
int timeout_ms = 30000;

QString located(const QString &fixed_path)
{
    return system_root + fixed_path;
}

} // namespace

void test_hooks::set_system_root(const QString &root)
{
    system_root = root;
}

void test_hooks::set_process_timeout(int milliseconds)
{
    timeout_ms = milliseconds;
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

int process_timeout()
{
    return timeout_ms;
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

// Read with the system's own directory calls: QDirIterator also builds a file
// record for every entry, which costs more than the rest of the link scan.
QStringList runlevel_entries(const QDir &directory)
{
    const Qt::CaseSensitivity sensitivity =
        directory.filter() & QDir::CaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    // Compiled once for the life of the program, like QDir's own caches.
    static std::map<std::pair<QString, int>, std::unique_ptr<NameFilter>> compiled;
    QList<NameFilter *> filters;
    for (const QString &filter : directory.nameFilters()) {
        std::unique_ptr<NameFilter> &name_filter = compiled[{filter, int(sensitivity)}];
        if (!name_filter)
            name_filter = std::make_unique<NameFilter>(filter, sensitivity);
        filters.append(name_filter.get());
    }

    QStringList names;
    DIR *stream = ::opendir(QFile::encodeName(directory.path()).constData());
    if (!stream)
        return names;
    while (const dirent *entry = ::readdir(stream)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        if (filters.isEmpty()
            || std::any_of(filters.cbegin(), filters.cend(), [&name](NameFilter *filter) { return filter->accepts(name); }))
            names.append(name);
    }
    ::closedir(stream);
    return names;
}
