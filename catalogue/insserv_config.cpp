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

    // The same lines and captures as "^(\$\S+)*(?:\s+)(.*)\s*$", whose nested
    // repetition tries every way of cutting a long "$a$b$c..." before it fails.
    static const LinePattern definition(QStringLiteral("^(\\$\\S++)?+(?:\\s+)(.*)\\s*$"));
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

// Depth first, in definition order. Each facility is expanded once per call: a
// definition that leads back to itself ends there, and facilities that name
// each other twice over cannot double the output at every level.
void expand_facility(QList<Service> &output, const Service &service)
{
    // Plain services skip the facility map: where no facility is defined, every
    // request for the map reads the configuration files again.
    if (!service.is_virtual()) {
        output.append(service);
        return;
    }
    const FacilityMap facilities = ServiceInfo::virtual_facilities();
    QSet<QString> expanded;
    // A stack rather than recursion: a long chain of facilities must not exhaust it.
    QList<Service> pending{service};
    while (!pending.isEmpty()) {
        const Service next = pending.takeLast();
        const auto definition = next.is_virtual() ? facilities.find(next) : facilities.end();
        if (definition == facilities.end()) {
            output.append(next);
        } else if (!expanded.contains(next.name)) {
            expanded.insert(next.name);
            for (auto member = definition->crbegin(); member != definition->crend(); ++member)
                pending.append(*member);
        }
    }
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

QList<FacilityDefinition> facility_definitions()
{
    QList<FacilityDefinition> definitions;
    for (const QString &path : insserv_config_files()) {
        const FacilityMap facilities = read_insserv_config(path);
        for (auto facility = facilities.cbegin(); facility != facilities.cend(); ++facility)
            definitions.append({facility.key().name, facility.value(), path.mid(system_root().size())});
    }
    return definitions;
}
