#include "apply/override_writer.h"

#include "apply/insserv_error.h"
#include "catalogue/lsb_dependency.h"
#include "catalogue/service_info.h"
#include "catalogue/system_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

#include <unistd.h>

namespace {

// Service names come from the insserv listing and from directory entries; one
// that is not a plain file name must never turn into a path.
bool usable_file_name(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/'));
}

// Written "# text", a text with a colon after its first character (from a
// comment such as "#see: x") would read back as a field line. Without the blank
// it reads back as the same continuation; the text is trimmed, so no blank of
// its own follows the "#" either.
QString continuation_line(const QString &text)
{
    return (text.indexOf(QLatin1Char(':')) > 0 ? QStringLiteral("#%1") : QStringLiteral("# %1")).arg(text);
}

QDir existing_overrides_dir()
{
    const QDir directory = overrides_dir();
    if (!directory.exists())
        throw InsservError(QObject::tr("Overrides directory \"%1\" does not exist.").arg(directory.path()));
    return directory;
}

} // namespace

QStringList override_lines(const HeaderLines &source, QVariant payload, FieldTransformer transformer,
                           ExtraLinesProvider leading, ExtraLinesProvider trailing)
{
    QStringList lines{QStringLiteral("### BEGIN INIT INFO")};
    if (leading) {
        for (const auto &pair : leading(payload))
            lines.append(header_line(pair.first, pair.second));
    }
    for (const auto &line : source) {
        if (line.first.isNull()) {
            lines.append(continuation_line(line.second));
            continue;
        }
        const QString value = transformer ? transformer(payload, line.first, line.second) : line.second;
        if (!value.isNull())
            lines.append(header_line(line.first, value));
    }
    if (trailing) {
        for (const auto &pair : trailing(payload))
            lines.append(header_line(pair.first, pair.second));
    }
    lines.append(QStringLiteral("### END INIT INFO"));
    return lines;
}

// Always UTF-8, the encoding every header is read in.
QByteArray override_content(const QStringList &lines)
{
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QStringList content_lines(const QByteArray &content)
{
    QStringList lines = QString::fromUtf8(content).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool write_override(Service service, QVariant payload, FieldTransformer transformer, ExtraLinesProvider leading,
                    ExtraLinesProvider trailing)
{
    const ServiceInfo source(service.name);
    return store_override(service, override_lines(source.lines, payload, transformer, leading, trailing));
}

bool store_override(Service service, QStringList lines)
{
    if (lines.isEmpty()) {
        const QDir directory = existing_overrides_dir();
        return usable_file_name(service.name) && QFile::remove(directory.filePath(service.name));
    }
    return write_override_content(service.name, override_content(lines));
}

// The file is replaced atomically: a failed or interrupted write leaves the
// previous override as it was, never a truncated one.
bool write_override_content(const QString &name, const QByteArray &content)
{
    return write_override_content(existing_overrides_dir(), name, content);
}

bool write_override_content(const QDir &directory, const QString &name, const QByteArray &content)
{
    // QSaveFile writes through a symbolic link, wherever it points: an override
    // that is a link is left for the administrator who made it.
    if (!usable_file_name(name) || QFileInfo(directory.filePath(name)).isSymLink())
        return false;
    QSaveFile file(directory.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile::commit misses a short write during its final flush (a full disk,
    // a quota) and would put a truncated override in place: flush and sync here,
    // and give the temporary file up on any failure.
    if (file.write(content) != content.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// Nothing to delete is no failure; a dangling link is still something.
bool delete_override_file(const QDir &directory, const QString &name)
{
    if (!usable_file_name(name))
        return false;
    const QString path = directory.filePath(name);
    return (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) || QFile::remove(path);
}

bool remove_override(Service service)
{
    return store_override(service, QStringList());
}

bool override_exists(Service service)
{
    const QDir directory = overrides_dir();
    return directory.exists() && usable_file_name(service.name) && QFile::exists(directory.filePath(service.name));
}

QString header_line(QString name, QString value)
{
    if (value.isNull())
        return QStringLiteral("# %1").arg(name);
    return QStringLiteral("# %1: %2").arg(name, value);
}

QString override_level(QVariant payload, QString name, QString value)
{
    const QVariantMap change = payload.toMap();
    const QString level = change.value(QStringLiteral("level")).toString();
    const QString state = change.value(QStringLiteral("value")).toString();
    const bool start_field = name == QLatin1String("Default-Start");
    if (!start_field && name != QLatin1String("Default-Stop"))
        return value;

    // A tab between levels still separates them: otherwise the level would stay in
    // the one field while joining the other, and insserv would both start and stop it.
    static const QRegularExpression separator(QStringLiteral("[ \t]"));
    QStringList levels = value.split(separator, Qt::KeepEmptyParts);
    levels.removeAll(level);
    if ((start_field && state == QLatin1String("S")) || (!start_field && state == QLatin1String("K")))
        levels.append(level);
    levels.sort(Qt::CaseSensitive);
    const QString joined = levels.join(QLatin1Char(' '));
    return joined.isNull() ? QStringLiteral("") : joined;
}

QVariantMap level_payload(const HeaderLines &source, const QString &level, const QString &value)
{
    QVariantMap payload{{QStringLiteral("level"), level}, {QStringLiteral("value"), value}};
    const QString field = value == QLatin1String("S") ? QStringLiteral("Default-Start")
        : value == QLatin1String("K")                 ? QStringLiteral("Default-Stop")
                                                      : QString();
    const bool present
        = std::any_of(source.cbegin(), source.cend(), [&field](const auto &line) { return line.first == field; });
    if (!field.isNull() && !present)
        payload.insert(QStringLiteral("missing field"), field);
    return payload;
}

// A level that must join a field the header lacks gets the field: without it
// the override would neither start nor stop the service there.
HeaderPairs missing_level_field(QVariant payload)
{
    const QVariantMap change = payload.toMap();
    const QString field = change.value(QStringLiteral("missing field")).toString();
    if (field.isEmpty())
        return {};
    return {qMakePair(field, change.value(QStringLiteral("level")).toString())};
}

QString remove_deps(QVariant, QString name, QString value)
{
    return LSBDependency::keywords.contains(name) ? QString() : value;
}

HeaderPairs add_deps(QVariant payload)
{
    HeaderPairs result;
    for (const QVariant &entry : payload.toList()) {
        const QVariantMap kind = entry.toMap();
        QString keyword = kind.value(QStringLiteral("keyword")).toString();
        QStringList texts;
        for (const QVariant &dependency : kind.value(QStringLiteral("dependencies")).toList()) {
            const QVariantMap fields = dependency.toMap();
            const bool optional = fields.value(QStringLiteral("is optional")).toBool();
            texts.append(QStringLiteral("%1%2").arg(optional ? QStringLiteral("+") : QString(),
                                                    fields.value(QStringLiteral("service name")).toString()));
        }
        QString joined = texts.join(QLatin1Char(' '));
        if (joined.isEmpty()) {
            keyword += QLatin1Char(':');
            joined = QString();
        }
        result.append(qMakePair(keyword, joined));
    }
    return result;
}
