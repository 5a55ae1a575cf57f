#include "apply/apply_history.h"

#include "catalogue/system_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

namespace {

const QByteArray magic = "vorn-admin-runlevel history entry";
const QByteArray absent = " (absent)";
const QByteArray no_newline = "\\ No newline at end of file";
const QByteArray link_arrow = " -> ";

const QRegularExpression &entry_name()
{
    static const QRegularExpression name(QStringLiteral("^\\d{8}T\\d{6}\\.\\d{3}Z(-\\d+)?$"));
    return name;
}

QString link_path(const RunlevelLink &link)
{
    return QStringLiteral("/etc/rc%1.d/%2").arg(link.runlevel, link.name);
}

QString override_file(const QString &service)
{
    return QStringLiteral("/etc/insserv/overrides/") + service;
}

QString dependency_file(const QString &name)
{
    return QStringLiteral("/etc/init.d/") + name;
}

// A file's bytes, a line each after "|", so that blanks at either end stay
// visible and an empty line still shows.
void write_content(QByteArray &text, const QByteArray &key, const QString &path, const QMap<QString, QByteArray> &files,
                   const QString &name)
{
    text += key + ": " + path.toUtf8();
    if (!files.contains(name)) {
        text += absent + '\n';
        return;
    }
    text += '\n';
    const QByteArray content = files.value(name);
    QList<QByteArray> lines = content.split('\n');
    if (content.endsWith('\n'))
        lines.removeLast();
    for (const QByteArray &line : lines)
        text += (line.isEmpty() ? QByteArray("|") : "| " + line) + '\n';
    if (!content.endsWith('\n'))
        text += no_newline + '\n';
}

void write_links(QByteArray &text, const QByteArray &key, const QList<RunlevelLink> &links)
{
    text += key + ":" + (links.isEmpty() ? " none" : "") + '\n';
    for (const RunlevelLink &link : links)
        text += "  " + link_path(link).toUtf8()
            + (link.target.isEmpty() ? " (no link)" : link_arrow + link.target.toUtf8()) + '\n';
}

QStringList changed_dependency_files(const BootConfiguration &before, const BootConfiguration &after)
{
    QSet<QString> names;
    for (const BootConfiguration *configuration : {&before, &after}) {
        for (auto file = configuration->generated.cbegin(); file != configuration->generated.cend(); ++file)
            names.insert(file.key());
    }
    QStringList changed;
    for (const QString &name : names) {
        if (before.generated.contains(name) != after.generated.contains(name)
            || before.generated.value(name) != after.generated.value(name))
            changed.append(name);
    }
    changed.sort();
    return changed;
}

// Reads an entry a line at a time: a "Key: value" line, then the lines that
// belong to it, indented or after "|".
class EntryReader
{
public:
    explicit EntryReader(HistoryEntry &entry) : entry(entry) {}

    bool line(const QByteArray &line)
    {
        if (line.startsWith('|') || line == no_newline) {
            if (!content)
                return false;
            if (line == no_newline)
                ended_without_newline = true;
            else
                content_lines.append(line.mid(line.startsWith("| ") ? 2 : 1));
            return true;
        }
        finish_content();
        if (line.startsWith("  "))
            return indented(QString::fromUtf8(line.mid(2)));
        if (line.isEmpty() || line.startsWith('#'))
            return true;
        const int colon = line.indexOf(": ") >= 0 ? line.indexOf(": ") : line.indexOf(':');
        if (colon < 0)
            return false;
        key = QString::fromUtf8(line.left(colon));
        const QByteArray value = line.mid(colon + 1).trimmed();
        return field(value);
    }

    void finish_content()
    {
        if (!content)
            return;
        (*content)[content_name] = content_lines.join('\n') + (ended_without_newline ? "" : "\n");
        content = nullptr;
        content_lines.clear();
        ended_without_newline = false;
    }

private:
    bool field(const QByteArray &value)
    {
        const QString text = QString::fromUtf8(value);
        if (key == QLatin1String("Date"))
            entry.date = text;
        else if (key == QLatin1String("User"))
            entry.user = text;
        else if (key == QLatin1String("Operation"))
            entry.operation = text;
        else if (key == QLatin1String("Undoes"))
            entry.undoes = text;
        else if (key == QLatin1String("Service"))
            return start_service(text);
        else if (key.startsWith(QLatin1String("Override ")) || key.startsWith(QLatin1String("File ")))
            return start_content(value);
        else if (key.startsWith(QLatin1String("Links ")))
            return !service.isEmpty() && configuration();
        return true;
    }

    bool start_service(const QString &name)
    {
        if (!is_plain_file_name(name))
            return false;
        entry.services.append(name);
        service = name;
        return true;
    }

    bool start_content(const QByteArray &value)
    {
        BootConfiguration *configuration = this->configuration();
        const bool overrides = key.startsWith(QLatin1String("Override "));
        if (!configuration || (overrides && service.isEmpty()))
            return false;
        content_name = overrides
            ? service
            : QString::fromUtf8(value).section(QLatin1Char('/'), -1).section(QLatin1Char(' '), 0, 0);
        if (value.endsWith(absent))
            return true;
        content = overrides ? &configuration->overrides : &configuration->generated;
        return true;
    }

    bool indented(const QString &line)
    {
        if (key == QLatin1String("Summary")) {
            entry.summary.append(line);
            return true;
        }
        BootConfiguration *configuration = this->configuration();
        static const QRegularExpression link(
            QStringLiteral("^/etc/rc([S0-6])\\.d/([^/]+?)(?: -> (.+)| \\(no link\\))$"));
        const QRegularExpressionMatch match = link.match(line);
        if (!key.startsWith(QLatin1String("Links ")) || !configuration || !match.hasMatch())
            return false;
        configuration->links[service].append(
            RunlevelLink{match.captured(1), match.captured(2), match.captured(3), false});
        return true;
    }

    BootConfiguration *configuration()
    {
        if (key.endsWith(QLatin1String(" before")))
            return &entry.before;
        if (key.endsWith(QLatin1String(" after")))
            return &entry.after;
        return nullptr;
    }

    HistoryEntry &entry;
    QString key, service, content_name;
    QMap<QString, QByteArray> *content = nullptr;
    QList<QByteArray> content_lines;
    bool ended_without_newline = false;
};

} // namespace

HistoryEntry history_entry(const ApplyPlan &plan, const BootConfiguration &before, const BootConfiguration &after,
                           const QString &user, const QStringList &summary, const QDateTime &when)
{
    HistoryEntry entry;
    const QDateTime utc = when.toUTC();
    entry.id = utc.toString(QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'"));
    entry.date = utc.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"));
    entry.user = user;
    entry.operation = plan.operation;
    entry.undoes = plan.undoes;
    entry.summary = summary;
    entry.services = changed_services(before, after);
    for (const QString &service : entry.services) {
        for (const auto &[source, target] :
             {std::make_pair(&before, &entry.before), std::make_pair(&after, &entry.after)}) {
            if (source->links.contains(service))
                target->links.insert(service, source->links.value(service));
            if (source->overrides.contains(service))
                target->overrides.insert(service, source->overrides.value(service));
        }
    }
    for (const QString &name : changed_dependency_files(before, after)) {
        if (before.generated.contains(name))
            entry.before.generated.insert(name, before.generated.value(name));
        if (after.generated.contains(name))
            entry.after.generated.insert(name, after.generated.value(name));
    }
    return entry;
}

QByteArray entry_text(const HistoryEntry &entry)
{
    QByteArray text = magic + '\n';
    text += "# To undo it by hand, make each link and file below as it is under \"before\":\n"
            "# remove the links and files that are only \"after\", make the links \"before\" with\n"
            "# ln -s TARGET PATH, and write each file's lines without their \"| \" (an override\n"
            "# or file \"(absent)\" before is removed).\n";
    text += "Date: " + entry.date.toUtf8() + '\n';
    text += "User: " + entry.user.toUtf8() + '\n';
    text += "Operation: " + entry.operation.toUtf8() + '\n';
    if (!entry.undoes.isEmpty())
        text += "Undoes: " + entry.undoes.toUtf8() + '\n';
    text += "Summary:\n";
    for (const QString &line : entry.summary)
        text += "  " + line.toUtf8() + '\n';
    for (const QString &service : entry.services) {
        text += "\nService: " + service.toUtf8() + '\n';
        write_links(text, "Links before", entry.before.links.value(service));
        write_links(text, "Links after", entry.after.links.value(service));
        write_content(text, "Override before", override_file(service), entry.before.overrides, service);
        write_content(text, "Override after", override_file(service), entry.after.overrides, service);
    }
    QStringList files = entry.before.generated.keys() + entry.after.generated.keys();
    files.removeDuplicates();
    files.sort();
    for (const QString &name : files) {
        text += '\n';
        write_content(text, "File before", dependency_file(name), entry.before.generated, name);
        write_content(text, "File after", dependency_file(name), entry.after.generated, name);
    }
    return text;
}

std::optional<HistoryEntry> parse_entry(const QString &id, const QByteArray &text)
{
    if (!text.startsWith(magic + '\n') || !entry_name().match(id).hasMatch())
        return std::nullopt;
    HistoryEntry entry;
    entry.id = id;
    EntryReader reader(entry);
    QList<QByteArray> lines = text.mid(magic.size() + 1).split('\n');
    if (text.endsWith('\n'))
        lines.removeLast();
    for (const QByteArray &line : lines) {
        if (!reader.line(line))
            return std::nullopt;
    }
    reader.finish_content();
    if (entry.operation.isEmpty())
        return std::nullopt;
    return entry;
}

QString keep_in_history(const HistoryEntry &entry)
{
    QDir history(history_path());
    QString id = entry.id;
    for (int suffix = 2; history.exists(id); ++suffix)
        id = QStringLiteral("%1-%2").arg(entry.id).arg(suffix);
    QSaveFile file(history.filePath(id));
    const QByteArray text = entry_text(entry);
    if (!QDir().mkpath(history.path()) || !file.open(QIODevice::WriteOnly) || file.write(text) != text.size()
        || !file.commit())
        return QCoreApplication::translate("ServiceTable",
                                           "The history could not keep this apply (%1), so it cannot be "
                                           "undone from the program.")
            .arg(history.filePath(id));
    QStringList names = history.entryList(QDir::Files, QDir::Name).filter(entry_name());
    for (int index = 0; index < names.size() - kept_history_entries; ++index)
        history.remove(names.at(index));
    return QString();
}

QList<HistoryEntry> read_history()
{
    const QDir history(history_path());
    QStringList names = history.entryList(QDir::Files, QDir::Name).filter(entry_name());
    QList<HistoryEntry> entries;
    for (auto name = names.crbegin(); name != names.crend(); ++name) {
        QFile file(history.filePath(*name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (const std::optional<HistoryEntry> entry = parse_entry(*name, file.readAll()))
            entries.append(*entry);
    }
    return entries;
}

std::optional<HistoryEntry> last_undoable(const QList<HistoryEntry> &history)
{
    QSet<QString> undone;
    for (const HistoryEntry &entry : history) {
        if (entry.operation == QLatin1String("undo")) {
            undone.insert(entry.undoes);
            continue;
        }
        if (!undone.contains(entry.id))
            return entry;
    }
    return std::nullopt;
}
