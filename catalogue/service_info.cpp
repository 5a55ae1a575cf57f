#include "catalogue/service_info.h"

#include "catalogue/header_file.h"
#include "catalogue/line_pattern.h"
#include "catalogue/lsb_header.h"
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
    HeaderFile file(name);
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
    static const LinePattern start(QStringLiteral("^###\\s+BEGIN INIT INFO\\s*"));
    static const LinePattern end(QStringLiteral("^###\\s+END INIT INFO\\s*"));
    static const LinePattern field_line(QStringLiteral("^#\\s+([^:]+)(?::\\s*)(.*)$"));
    static const LinePattern continuation(QStringLiteral("^#(.*)$"));

    bool inside = false;
    QByteArray bytes;
    while (file.read_line(bytes)) {
        const QString line = utf8_up_to_nul(bytes);
        // Both markers begin with "###": most lines need not be matched against them.
        const bool marker = line.startsWith(QLatin1String("###"));
        if (!inside) {
            inside = marker && start.match(line).hasMatch();
            continue;
        }
        if (marker && end.match(line).hasMatch()) {
            valid = true;
            return;
        }
        const QRegularExpressionMatch field = field_line.match(line);
        if (field.hasMatch()) {
            add_field_line(field.captured(1), field.captured(2).trimmed());
            continue;
        }
        const QRegularExpressionMatch comment = continuation.match(line);
        if (comment.hasMatch())
            add_continuation_line(comment.captured(1).trimmed());
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
