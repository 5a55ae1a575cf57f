#include "catalogue/insserv_config.h"

#include "catalogue/line_pattern.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QFile>
#include <QSet>

namespace {

QList<Service> members(const QString &text)
{
    QList<Service> result;
    for (const QString &part : text.trimmed().split(QLatin1Char(' '), Qt::KeepEmptyParts)) {
        const QString word = part.trimmed();
        if (!word.isEmpty())
            result.append(Service(word));
    }
    return result;
}

// Depth first; a facility met again on its own expansion path is dropped there,
// so a definition that leads back to itself cannot expand without end.
void expand(QList<Service> &output, const Service &service, const FacilityMap &facilities,
            QSet<QString> &path)
{
    if (!service.is_virtual()) {
        output.append(service);
        return;
    }
    const auto definition = facilities.find(service);
    if (definition == facilities.end()) {
        output.append(service);
        return;
    }
    if (path.contains(service.name))
        return;
    path.insert(service.name);
    for (const Service &member : definition.value())
        expand(output, member, facilities, path);
    path.remove(service.name);
}

} // namespace

QStringList insserv_config_files()
{
    QStringList result;
    const QDir directory(insserv_config_dir_path(), QStringLiteral("*"), QDir::Unsorted, QDir::Files);
    if (directory.exists()) {
        for (const QString &entry : directory.entryList())
            result.append(directory.absoluteFilePath(entry));
    }
    result.append(insserv_config_path());
    return result;
}

FacilityMap read_insserv_config(const QString &path)
{
    FacilityMap result;
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return result;

    static const LinePattern definition(QStringLiteral("^(\\$\\S+)*(?:\\s+)(.*)\\s*$"));
    while (!file.atEnd()) {
        const QRegularExpressionMatch match = definition.match(utf8_up_to_nul(file.readLine()));
        if (!match.hasMatch())
            continue;
        const Service facility(match.captured(1));
        result.remove(facility);
        result.insert(facility, members(match.captured(2)));
    }
    return result;
}

void expand_facility(QList<Service> &output, const Service &service)
{
    // Plain services skip the facility map: where no facility is defined, every
    // request for the map reads the configuration files again.
    if (!service.is_virtual()) {
        output.append(service);
        return;
    }
    QSet<QString> path;
    expand(output, service, ServiceInfo::virtual_facilities(), path);
}

FacilityMap ServiceInfo::virtual_facilities()
{
    if (_virtual_facilities.isEmpty()) {
        for (const QString &path : insserv_config_files())
            _virtual_facilities.unite(read_insserv_config(path));
    }
    return _virtual_facilities;
}

QStringList ServiceInfo::virtual_facility_names()
{
    QStringList names;
    const FacilityMap facilities = virtual_facilities();
    for (auto it = facilities.cbegin(); it != facilities.cend(); ++it)
        names.append(it.key().name);
    names.sort(Qt::CaseSensitive);
    return names;
}
