#include "catalogue/service_info.h"

#include "catalogue/header_file.h"
#include "catalogue/header_line.h"
#include "catalogue/lsb_header.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

FacilityMap ServiceInfo::_virtual_facilities;

namespace {

QList<LSBDependency> parse_dependencies(const QString &keyword, const QString &value)
{
    QList<LSBDependency> result;
    if (value.isEmpty())
        return result;
    for (const QString &part : value.split(QLatin1Char(' '), Qt::KeepEmptyParts))
        result.append(LSBDependency(keyword, Service(part)));
    return result;
}

} // namespace

ServiceInfo::ServiceInfo(const QString &name)
    : name(name)
{
    // A name that is not a file name would read a file outside the two directories.
    if (!is_plain_file_name(name))
        return;
    HeaderFile file(name);
    read(file);
}

ServiceInfo::ServiceInfo(const QString &name, const HeaderSources &sources)
    : name(name)
{
    if (!is_plain_file_name(name))
        return;
    HeaderFile file(name, &sources);
    read(file);
}

ServiceInfo ServiceInfo::from_content(const QString &name, const QByteArray &content)
{
    ServiceInfo info{QString()};
    info.name = name;
    HeaderFile file(content);
    info.read(file);
    return info;
}

void ServiceInfo::read(HeaderFile &file)
{
    bool inside = false;
    QByteArray bytes;
    QString name, value;
    while (file.read_line(bytes)) {
        const QString line = utf8_up_to_nul(bytes);
        if (!inside) {
            inside = is_marker_line(line, QLatin1String("BEGIN INIT INFO"));
        } else if (is_marker_line(line, QLatin1String("END INIT INFO"))) {
            valid = true;
            return;
        } else if (split_field_line(line, name, value)) {
            add_field_line(name, value);
        } else if (split_comment_line(line, value)) {
            add_continuation_line(value);
        }
    }
}

void ServiceInfo::add_field_line(const QString &field, const QString &value)
{
    lines.append(qMakePair(field, value));
    if (LSBDependency::keywords.contains(field))
        dependencies.append(qMakePair(field, parse_dependencies(field, value)));
    else if (!LSBHeader::ignored_fields.contains(field))
        fields.append(qMakePair(field, value));
}

void ServiceInfo::add_continuation_line(const QString &text)
{
    if (!fields.isEmpty())
        fields.last().second += QLatin1Char('\n') + text;
    lines.append(qMakePair(QString(), text));
}

QString ServiceInfo::field(const QString &name) const
{
    for (const auto &line : lines) {
        if (line.first == name)
            return line.second;
    }
    return QString();
}
