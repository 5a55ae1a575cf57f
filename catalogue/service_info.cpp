#include "catalogue/service_info.h"

#include "catalogue/line_pattern.h"
#include "catalogue/lsb_header.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

FacilityMap ServiceInfo::_virtual_facilities;

namespace {

QString header_source(const QString &name)
{
    const QString override_file = QStringLiteral("%1/%2").arg(overrides_dir().path(), name);
    if (QFile::exists(override_file))
        return override_file;
    const QString script = QStringLiteral("%1/%2").arg(init_scripts_dir().path(), name);
    if (QFile::exists(script))
        return script;
    return QString();
}

// Without a colon the field pattern cannot match, but finding that out takes it
// time quadratic in the blanks of a long line: minutes for a megabyte.
bool may_be_field(const QString &line)
{
    return line.contains(QLatin1Char(':'));
}

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
    const QString path = header_source(name);
    if (path.isEmpty())
        return;
    // Only regular files are read: a FIFO or device of that name would block the
    // reader for ever, and a directory cannot hold a header.
    if (!QFileInfo(path).isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    read(file);
}

ServiceInfo ServiceInfo::from_content(const QString &name, const QByteArray &content)
{
    ServiceInfo info{QString()};
    info.name = name;
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    info.read(buffer);
    return info;
}

void ServiceInfo::read(QIODevice &file)
{
    LinePattern start(QStringLiteral("^###\\s+BEGIN INIT INFO\\s*"));
    LinePattern end(QStringLiteral("^###\\s+END INIT INFO\\s*"));
    LinePattern field_line(QStringLiteral("^#\\s+([^:]+)(?::\\s*)(.*)$"));
    LinePattern continuation(QStringLiteral("^#(.*)$"));

    bool inside = false;
    while (!file.atEnd()) {
        const QString line = utf8_up_to_nul(file.readLine());

        if (!inside) {
            inside = start.match(line);
        } else if (end.match(line)) {
            valid = true;
            return;
        } else if (may_be_field(line) && field_line.match(line)) {
            add_field_line(field_line.cap(1), field_line.cap(2).trimmed());
        } else if (continuation.match(line)) {
            add_continuation_line(continuation.cap(1).trimmed());
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
