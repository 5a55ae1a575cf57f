#include "table/service_table.h"

#include "apply/insserv_messages.h"
#include "catalogue/header_sources.h"
#include "catalogue/listing_line.h"
#include "catalogue/service_info.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QProcess>

#include <algorithm>

namespace {

QList<Service> sorted(QList<Service> list)
{
    std::sort(list.begin(), list.end());
    return list;
}

// Each line keeps its newline, as QIODevice::readLine gives it; reading a
// process's output line by line that way allocates a whole buffer per line.
QList<QByteArray> lines_of(const QByteArray &text)
{
    QList<QByteArray> lines;
    for (int start = 0; start < text.size();) {
        const int newline = text.indexOf('\n', start);
        const int end = newline < 0 ? text.size() : newline + 1;
        lines.append(text.mid(start, end - start));
        start = end;
    }
    return lines;
}

// Services with start lines, then those with kill lines only, then those known
// only from their overrides; each group in the order of Service.
QList<Service> load_order(const QSet<Service> &starts, const QSet<Service> &kills, const QSet<Service> &unlisted)
{
    QList<Service> kills_only;
    for (const Service &service : kills) {
        if (!starts.contains(service))
            kills_only.append(service);
    }
    return sorted(starts.values()) + sorted(kills_only) + sorted(unlisted.values());
}

// The record of one side of a linked service as its links have it: the
// runlevels of its links of that kind, and the lowest of their numbers.
Service linked_record(const QString &name, const QList<RunlevelLink> &links, QChar kind)
{
    Service record(name);
    record.type = kind == QLatin1Char('S') ? Service::Start : Service::Kill;
    record.linked = true;
    int sequence = 100;
    for (const RunlevelLink &link : links) {
        if (!link.leads_to_file || link.kind() != kind || record.runlevels.contains(link.runlevel))
            continue;
        record.runlevels.append(link.runlevel);
        sequence = std::min(sequence, link.sequence());
    }
    record.sequence = quint16(sequence);
    return record;
}

bool same_runlevels(const Service &a, const Service &b)
{
    QStringList first = a.runlevels, second = b.runlevels;
    first.sort();
    second.sort();
    return first == second;
}

QString shortened(const QStringList &lines)
{
    const int shown_lines = 10, shown_characters = 100;
    QStringList shown;
    for (const QString &line : lines.mid(0, shown_lines))
        shown.append(line.size() > shown_characters ? line.left(shown_characters) + QChar(0x2026) : line);
    if (lines.size() > shown_lines)
        shown.append(QString(QChar(0x2026)));
    return shown.join(QLatin1Char('\n'));
}

} // namespace

// The links are the machine's state, and the table shows them; insserv's
// listing adds what the links cannot say: where a service without links would
// run, and whether insserv takes the setup at all. Loading runs nothing that
// writes. The headers are read against one reading of the overrides and
// scripts directories, which answers most questions about their files at once.
bool ServiceTable::read_system()
{
    header_sources = std::make_unique<HeaderSources>();
    configuration = read_boot_configuration(system_root());
    const bool read = read_listing() && init_scripts_dir().exists();
    if (read) {
        scan_links();
        if (listing_refused)
            add_header_records();
        collect_unlisted_services();
        loaded_services = load_order(start_services, kill_services, unlisted_services);
        collect_disabled_services();
        if (listing_refused)
            report_refused_setup();
    }
    header_sources.reset();
    return read;
}

// A listing insserv refuses to make leaves the table to the links and the
// headers, so that the setup can still be repaired here.
bool ServiceTable::read_listing()
{
    QProcess listing;
    listing.start(insserv_program(), {QStringLiteral("-s")}, QIODevice::ReadOnly);
    // Wait for the end before reading: a listing cut where the pipe first ran empty
    // would silently drop services.
    if (!listing.waitForStarted(process_timeout()) || !listing.waitForFinished(process_timeout()))
        return false;
    const QString errors = utf8_up_to_nul(listing.readAllStandardError()).trimmed();
    if (listing.exitStatus() != QProcess::NormalExit || listing.exitCode() != 0) {
        listing_refused = true;
        refusal = errors;
        return true;
    }
    report_warnings(errors);
    QStringList refused;
    for (const QByteArray &bytes : lines_of(listing.readAllStandardOutput())) {
        const QString line = utf8_up_to_nul(bytes);
        if (line.trimmed().isEmpty())
            continue;
        if (!is_listing_line(line)) {
            refused.append(line.trimmed());
            continue;
        }
        Service service;
        service.parse_insserv_line(line);
        service.load_provides(read_header(service.name));
        QSet<Service> &side = service.type == Service::Start ? start_services : kill_services;
        if (!side.contains(service))
            side.insert(service);
    }
    if (!refused.isEmpty())
        notices.append({tr("The listing of insserv holds lines that name no service; the table leaves them out."),
                        shortened(refused)});
    return true;
}

// The services insserv names become the table's words for them.
void ServiceTable::report_refused_setup()
{
    QStringList sentences, services;
    for (const InsservMessage &message : parse_insserv_messages(refusal, names_to_scripts())) {
        if (!message.is_fatal())
            continue;
        const Explanation explanation = explain(message, &dependency_graph());
        sentences.append(explanation.sentence);
        services += explanation.services;
    }
    sentences.removeDuplicates();
    services.removeDuplicates();
    notices.append({tr("insserv refuses the boot configuration as it is: %1 The table shows the links as they are; "
                       "change what it names to repair it.")
                        .arg(sentences.isEmpty() ? tr("it gives no reason.") : sentences.join(QLatin1Char(' '))),
                    refusal});
    repair = services;
}

// Services disabled the Debian way make insserv warn at every run that their
// links override their headers; that is what disabling means, not news.
void ServiceTable::report_warnings(const QString &errors)
{
    QStringList shown, sentences;
    for (const InsservMessage &message : parse_insserv_messages(errors, {})) {
        if (message.kind == InsservMessage::Expected)
            continue;
        shown.append(message.line);
        if (message.kind != InsservMessage::Other)
            sentences.append(plain_words(message));
    }
    sentences.removeDuplicates();
    const QString text = tr("insserv warns about the boot configuration.");
    if (!shown.isEmpty())
        notices.append({sentences.isEmpty() ? text : text + QLatin1Char(' ') + sentences.join(QLatin1Char(' ')),
                        shown.join(QLatin1Char('\n'))});
}

// The links decide what a linked service looks like; the listing is kept for
// the services without any, and compared with the links: where insserv would
// number or place them otherwise, or a link leads nowhere, the next apply
// will bring them up to date, and the user learns so now.
void ServiceTable::scan_links()
{
    QStringList renumbered, dangling;
    for (auto links = configuration.links.cbegin(); links != configuration.links.cend(); ++links) {
        const QString &name = links.key();
        const LinkStates states = configuration.states_of(name);
        for (const RunlevelLink &link : links.value()) {
            if (!link.leads_to_file)
                dangling.append(link.text());
        }
        if (states.isEmpty() || !is_plain_file_name(name))
            continue;
        link_kinds.insert(name, states);
        const Service service(name);
        linked_services.insert(service);
        for (const QChar kind : {QLatin1Char('S'), QLatin1Char('K')}) {
            QSet<Service> &side = kind == QLatin1Char('S') ? start_services : kill_services;
            Service record = linked_record(name, links.value(), kind);
            const auto listed = side.constFind(service);
            if (listed != side.cend() && (listed->sequence != record.sequence || !same_runlevels(*listed, record)))
                renumbered.append(name);
            side.remove(service);
            if (record.runlevels.isEmpty())
                continue;
            record.load_provides(read_header(name));
            side.insert(record);
        }
    }
    renumbered.removeDuplicates();
    if (!renumbered.isEmpty() || !dangling.isEmpty())
        notices.append({tr("The links differ from what insserv would make of the headers; the next apply brings them "
                           "up to date, and its preview shows how."),
                        shortened(renumbered + dangling)});
}

// Without a listing, a script without links shows where its header would run it.
void ServiceTable::add_header_records()
{
    for (auto script = configuration.scripts.cbegin(); script != configuration.scripts.cend(); ++script) {
        const Service service(script.key());
        if (linked_services.contains(service) || !is_plain_file_name(service.name) || !read_header(service.name).valid)
            continue;
        const ServiceInfo &header = read_header(service.name);
        for (const auto &[field, type] :
             {std::make_pair("Default-Start", Service::Start), std::make_pair("Default-Stop", Service::Kill)}) {
            Service record = service;
            record.type = type;
            record.runlevels = header.field(QLatin1String(field)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            record.load_provides(header);
            if (!record.runlevels.isEmpty())
                (type == Service::Start ? start_services : kill_services).insert(record);
        }
    }
}

// Disabled is what the links say: none at all, or none that starts a service
// whose header starts it somewhere (Debian's update-rc.d disable turns start
// links into stop links). A script that only stops is not disabled.
void ServiceTable::collect_disabled_services()
{
    for (const Service &service : std::as_const(loaded_services)) {
        const bool starts = !read_header(service.name).field(QStringLiteral("Default-Start")).trimmed().isEmpty();
        const QList<QChar> kinds = link_kinds.value(service.name).values();
        if (!linked_services.contains(service) || (starts && !kinds.contains(start_mark.at(0))))
            disabled_services.insert(service);
    }
}

// Services that neither the links nor the listing show: those known only from
// an override.
void ServiceTable::collect_unlisted_services()
{
    const QStringList names = configuration.overrides.keys();
    for (const QString &name : names)
        overridden.insert(name);
    for (const QString &name : names) {
        const Service service(name);
        if (start_services.contains(service) || kill_services.contains(service) || unlisted_services.contains(service))
            continue;
        if (!configuration.has_script(name) || !is_plain_file_name(name))
            continue;
        if (name.endsWith(QLatin1Char('~')) || !read_header(name).valid)
            continue;
        unlisted_services.insert(service);
    }
}

const ServiceInfo &ServiceTable::read_header(const QString &name)
{
    auto found = headers.find(name);
    if (found == headers.end())
        found = headers.insert(name, header_sources ? ServiceInfo(name, *header_sources) : ServiceInfo(name));
    return found.value();
}

ServiceInfo ServiceTable::loaded_header(const QString &name) const
{
    const auto found = headers.constFind(name);
    return found == headers.cend() ? ServiceInfo(QString()) : found.value();
}

QHash<QString, QString> ServiceTable::names_to_scripts() const
{
    QHash<QString, QString> names;
    for (auto header = headers.cbegin(); header != headers.cend(); ++header) {
        if (!header->valid)
            continue;
        for (const QString &provided :
             header->field(QStringLiteral("Provides")).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            names.insert(provided, header.key());
    }
    return names;
}
