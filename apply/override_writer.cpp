#include "apply/override_writer.h"

#include "apply/insserv_error.h"
#include "catalogue/lsb_dependency.h"
#include "catalogue/service_info.h"
#include "catalogue/system_paths.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QRegularExpression>
#include <QSaveFile>

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

bool write_override(Service service, QVariant payload, FieldTransformer transformer, ExtraLinesProvider leading,
                    ExtraLinesProvider trailing)
{
    const ServiceInfo source(service.name);
    QStringList lines{QStringLiteral("### BEGIN INIT INFO")};
    if (leading) {
        for (const auto &pair : leading(payload))
            lines.append(header_line(pair.first, pair.second));
    }
    for (const auto &line : source.lines) {
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
    return store_override(service, lines);
}

// The file is replaced atomically: a failed or interrupted write leaves the
// previous override as it was, never a truncated one. Always UTF-8, the
// encoding every header is read in.
bool store_override(Service service, QStringList lines)
{
    const QDir directory = existing_overrides_dir();
    if (!usable_file_name(service.name))
        return false;
    const QString path = directory.filePath(service.name);
    if (lines.isEmpty())
        return QFile::remove(path);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray content = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    // QSaveFile::commit misses a short write during its final flush (a full disk,
    // a quota) and would put a truncated override in place: flush and sync here,
    // and give the temporary file up on any failure.
    if (file.write(content) != content.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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
