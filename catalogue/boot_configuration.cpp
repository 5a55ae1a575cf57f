#include "catalogue/boot_configuration.h"

#include "catalogue/runlevel_links.h"
#include "catalogue/system_paths.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <cerrno>
#include <dirent.h>

namespace {

const QString scripts_relative = QStringLiteral("../init.d/");

QHash<QString, bool> script_entries(const QString &path)
{
    QHash<QString, bool> scripts;
    DIR *stream = ::opendir(QFile::encodeName(path).constData());
    if (!stream)
        return scripts;
    while (const dirent *entry = ::readdir(stream)) {
        if (entry->d_name[0] != '.')
            scripts.insert(QFile::decodeName(entry->d_name), entry->d_type == DT_REG);
    }
    ::closedir(stream);
    return scripts;
}

// Almost every link leads to its script as "../init.d/NAME": one reading of the
// scripts directory answers for those, without a system call a link.
bool leads_to_file(const RunlevelLinks &directory, const RunlevelLink &link, const QHash<QString, bool> &scripts)
{
    if (link.target.startsWith(scripts_relative)) {
        const QString script = link.target.mid(scripts_relative.size());
        if (scripts.value(script) && is_plain_file_name(script))
            return true;
    }
    return directory.leads_to_file(link.name);
}

void read_links(const QString &root, BootConfiguration &configuration)
{
    for (const QString &runlevel : all_runlevels()) {
        const QDir path(root + QStringLiteral("/etc/rc%1.d").arg(runlevel), QStringLiteral("[SK][0-9][0-9]*"),
                        QDir::Name, QDir::Files);
        const RunlevelLinks directory(path);
        QStringList names = directory.names();
        names.sort();
        for (const QString &name : names) {
            RunlevelLink link{runlevel, name, directory.target(name), false};
            link.leads_to_file = leads_to_file(directory, link, configuration.scripts);
            configuration.links[link.service()].append(link);
        }
    }
}

QMap<QString, QByteArray> file_contents(const QDir &directory, const QStringList &names)
{
    QMap<QString, QByteArray> contents;
    for (const QString &name : names) {
        QFile file(directory.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            contents.insert(name, file.readAll());
    }
    return contents;
}

} // namespace

QString RunlevelLink::text() const
{
    const QString entry = QStringLiteral("rc%1.d/%2").arg(runlevel, name);
    return target.isEmpty() ? entry : QStringLiteral("%1 -> %2").arg(entry, target);
}

LinkStates BootConfiguration::states_of(const QString &service) const
{
    LinkStates states;
    for (const RunlevelLink &link : links.value(service)) {
        if (link.leads_to_file && states.value(link.runlevel) != QLatin1Char('S'))
            states.insert(link.runlevel, link.kind());
    }
    return states;
}

bool BootConfiguration::linked(const QString &service) const
{
    return !states_of(service).isEmpty();
}

BootConfiguration read_boot_configuration(const QString &root)
{
    BootConfiguration configuration;
    configuration.scripts = script_entries(root + QStringLiteral("/etc/init.d"));
    read_links(root, configuration);
    const QDir overrides(root + QStringLiteral("/etc/insserv/overrides"));
    configuration.overrides = file_contents(overrides, overrides.entryList(QDir::Files | QDir::Hidden | QDir::System));
    const QDir scripts(root + QStringLiteral("/etc/init.d"));
    configuration.generated =
        file_contents(scripts, scripts.entryList({QStringLiteral(".depend.*")}, QDir::Files | QDir::Hidden));
    return configuration;
}

QStringList changed_services(const BootConfiguration &before, const BootConfiguration &after)
{
    QSet<QString> names;
    for (const BootConfiguration *configuration : {&before, &after}) {
        for (auto service = configuration->links.cbegin(); service != configuration->links.cend(); ++service)
            names.insert(service.key());
        for (auto service = configuration->overrides.cbegin(); service != configuration->overrides.cend(); ++service)
            names.insert(service.key());
    }
    QStringList changed;
    for (const QString &name : names) {
        if (before.links.value(name) != after.links.value(name)
            || before.overrides.contains(name) != after.overrides.contains(name)
            || before.overrides.value(name) != after.overrides.value(name))
            changed.append(name);
    }
    changed.sort();
    return changed;
}

QString runlevels_text(const LinkStates &states, QChar kind)
{
    QStringList levels;
    for (const QString &runlevel : all_runlevels()) {
        if (states.value(runlevel) == kind)
            levels.append(runlevel);
    }
    return levels.join(QLatin1Char(' '));
}
