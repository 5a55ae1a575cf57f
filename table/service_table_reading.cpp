#include "table/service_table.h"

#include "catalogue/administrator_rights.h"
#include "catalogue/header_sources.h"
#include "catalogue/listing_line.h"
#include "catalogue/runlevel_links.h"
#include "catalogue/service_info.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QMessageBox>
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

} // namespace

// The headers are read against one reading of the overrides and scripts
// directories, which answers most of the questions about their files at once.
bool ServiceTable::read_system()
{
    header_sources = std::make_unique<HeaderSources>();
    const bool read = read_listing() && init_scripts_dir().exists();
    if (read) {
        scan_links();
        collect_unlisted_services();
        loaded_services = load_order(start_services, kill_services, unlisted_services);
        collect_disabled_services();
    }
    header_sources.reset();
    return read;
}

// insserv run without arguments brings the links in line with the scripts; what it
// complains about is worth showing, but the table is loaded either way. Without
// administrator rights it could only fail, and the window already says why.
void ServiceTable::run_preliminary_insserv()
{
    if (!has_administrator_rights())
        return;
    QProcess insserv;
    insserv.start(QStringLiteral("insserv"), QStringList(), QIODevice::ReadOnly);
    if (!insserv.waitForStarted(process_timeout()) || !insserv.waitForFinished(process_timeout()))
        return;
    const QString errors = utf8_up_to_nul(insserv.readAllStandardError());
    if (!errors.isEmpty())
        QMessageBox::warning(nullptr, QStringLiteral("insserv"), errors, QMessageBox::Ok, QMessageBox::NoButton);
}

bool ServiceTable::read_listing()
{
    QProcess listing;
    listing.start(insserv_program(), {QStringLiteral("-s")}, QIODevice::ReadOnly);
    if (!listing.waitForStarted(process_timeout()) || !listing.waitForReadyRead(process_timeout()))
        return false;
    // Wait for the end before reading: a listing cut where the pipe first ran empty
    // would silently drop services.
    if (!listing.waitForFinished(process_timeout()))
        return false;
    QStringList refused;
    for (const QByteArray &bytes : lines_of(listing.readAll())) {
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
    report_refused_lines(refused);
    return true;
}

// The rows of such lines would stand for no service; the user learns that the
// table is incomplete rather than finding it so.
void ServiceTable::report_refused_lines(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    const int shown_lines = 10, shown_characters = 100;
    QStringList shown;
    for (const QString &line : lines.mid(0, shown_lines))
        shown.append(line.size() > shown_characters ? line.left(shown_characters) + QChar(0x2026) : line);
    if (lines.size() > shown_lines)
        shown.append(QString(QChar(0x2026)));
    QMessageBox::warning(nullptr, QStringLiteral("insserv"),
                         tr("The listing of insserv holds lines that name no service; the table leaves them "
                            "out:\n%1").arg(shown.join(QLatin1Char('\n'))),
                         QMessageBox::Ok, QMessageBox::NoButton);
}

// A link counts when it leads to a file, which takes a system call to check:
// the larger part of the scan. So a link is checked only when it could tell
// something not yet known of its service and runlevel: not beside a start link
// found there, nor beside a stop link when it is one too.
void ServiceTable::scan_links()
{
    const QStringList runlevels = all_runlevels();
    const QList<QDir> directories = runlevel_directories();
    for (int level = 0; level < directories.size(); ++level) {
        const QString &runlevel = runlevels.at(level);
        const RunlevelLinks links(directories.at(level));
        for (const QString &name : links.names()) {
            const QChar kind = name.at(0).toUpper();
            const Service service(name.mid(3));
            auto kinds = link_kinds.find(service.name);
            const QChar known = kinds == link_kinds.end() ? QChar() : kinds->value(runlevel);
            if (known == start_mark.at(0) || known == kind || !links.leads_to_file(name))
                continue;
            if (kinds == link_kinds.end()) {
                kinds = link_kinds.insert(service.name, {});
                add_linked_service(service);
            }
            kinds->insert(runlevel, kind);
        }
    }
}

void ServiceTable::add_linked_service(const Service &service)
{
    linked_services.insert(service);
    for (QSet<Service> *side : {&start_services, &kill_services}) {
        auto found = side->find(service);
        if (found == side->end())
            continue;
        Service linked = *found;
        linked.linked = true;
        side->erase(found);
        side->insert(linked);
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

void ServiceTable::collect_unlisted_services()
{
    for (const QString &name : overrides_dir().entryList(QDir::Files)) {
        overridden.insert(name);
        const Service service(name);
        if (start_services.contains(service) || kill_services.contains(service))
            continue;
        if (!QFile::exists(QStringLiteral("%1/%2").arg(init_scripts_path(), name)))
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
