#include "table/service_table.h"

#include "app/resource.h"
#include "catalogue/administrator_rights.h"
#include "catalogue/header_sources.h"
#include "catalogue/listing_line.h"
#include "catalogue/runlevel_links.h"
#include "catalogue/service_info.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"
#include "table/service_item_delegate.h"
#include "table/service_table_item.h"

#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QProcess>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

const QString ServiceTable::disabled_mark = QStringLiteral("off");
const QString ServiceTable::enabled_mark = QStringLiteral("on");
const QString ServiceTable::start_mark = QStringLiteral("S");
const QString ServiceTable::kill_mark = QStringLiteral("K");

namespace {

// Formatting through QString::arg costs more than the rest of a cell; a table
// formats some ten numbers a row.
QString padded(int number, int width)
{
    if (number < 0)
        return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
    const QString digits = QString::number(number);
    return digits.size() < width ? QString(width - digits.size(), QLatin1Char('0')) + digits : digits;
}

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

ServiceTable::ServiceTable()
    : delegate(std::make_unique<ServiceItemDelegate>())
{
    qRegisterMetaType<QItemSelection>();
    setItemDelegate(delegate.get());
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &ServiceTable::context_menu);
    // Pen tablets cannot double-click reliably; their style asks for single clicks.
    if (QApplication::style()->objectName() == QLatin1String("vornplastiquetablet"))
        connect(this, &QTableWidget::itemClicked, this, &ServiceTable::toggle_item);
    else
        connect(this, &QTableWidget::itemDoubleClicked, this, &ServiceTable::toggle_item);
}

ServiceTable::~ServiceTable() = default;

bool ServiceTable::load()
{
    run_preliminary_insserv();
    if (!read_system()) {
        start_services.clear();
        kill_services.clear();
        headers.clear();
        return false;
    }

    QStringList labels{tr("Service"), tr("Start")};
    for (const QString &runlevel : all_runlevels())
        labels.append(tr("Runlevel %1").arg(runlevel));
    labels.append(tr("Kill"));
    setColumnCount(labels.size());
    fill_rows();
    setHorizontalHeaderLabels(labels);

    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(int(fontMetrics().boundingRect(QStringLiteral("X")).height() * 2.1));
    resizeColumnsToContents();
    // The header's own initial order is descending: services would open Z to A.
    horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    setSortingEnabled(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &ServiceTable::filter_items);
    if (rowCount() > 0)
        setCurrentCell(0, 0);
    return true;
}

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
    for (const Service &service : qAsConst(loaded_services)) {
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

QList<Service> ServiceTable::services(bool all_rows) const
{
    if (all_rows)
        return loaded_services;
    QSet<QString> hidden;
    for (int row = 0; row < rowCount(); ++row) {
        if (isRowHidden(row))
            hidden.insert(item(row, 0)->data(ServiceNameRole).toString());
    }
    if (hidden.isEmpty())
        return loaded_services;
    QList<Service> result;
    for (const Service &service : loaded_services) {
        if (!hidden.contains(service.name))
            result.append(service);
    }
    return result;
}

QString ServiceTable::name_text(const Service &service) const
{
    const QStringList names = service.provided_names();
    if (names.size() == 1 && names.first() == service.name)
        return service.name;
    return QStringLiteral("%1: %2").arg(service.name, names.join(QStringLiteral(", ")));
}

QString ServiceTable::sequence_text(const Service &service, const QSet<Service> &side) const
{
    const auto found = side.find(service);
    return found == side.end() ? enabled_mark : padded(found->sequence, 2);
}

QString ServiceTable::state_text(const Service &service, const QSet<Service> &side) const
{
    return disabled_services.contains(service) ? disabled_mark : sequence_text(service, side);
}

void ServiceTable::fill_rows()
{
    const QStringList runlevels = all_runlevels();
    setRowCount(loaded_services.size());
    verticalHeader()->setVisible(false);
    {
        // Each placed cell would be reported on its own, eleven reports a row;
        // the sort that follows the filling makes the view take in all of it.
        const QSignalBlocker quiet(model());
        for (int row = 0; row < loaded_services.size(); ++row) {
            const QList<ServiceTableItem *> cells = row_cells(loaded_services.at(row), runlevels);
            for (int column = 0; column < cells.size(); ++column)
                setItem(row, column, cells.at(column));
        }
    }
    resizeColumnsToContents();
}

// Every cell gets its data before it enters the table: a change to a placed
// cell is reported to the view, and in a sorted table searched for.
QList<ServiceTableItem *> ServiceTable::row_cells(const Service &service, const QStringList &runlevels) const
{
    const bool linked = linked_services.contains(service);
    const auto start = start_services.find(service);
    const auto kill = kill_services.find(service);
    QString kill_order;
    if (linked)
        kill_order = kill == kill_services.end() ? QStringLiteral("100") : padded(100 - kill->sequence, 3);

    ServiceTableItem *name_cell = ServiceTableItem::name_cell(name_text(service));
    if (overridden.contains(service.name))
        mark_override(name_cell, service.name);
    QList<ServiceTableItem *> cells{name_cell, ServiceTableItem::state_cell(state_text(service, start_services))};
    const QString start_text = start == start_services.end() ? QString() : padded(start->sequence, 2);
    for (const QString &runlevel : runlevels) {
        QString mark;
        if (start != start_services.end() && start->runlevels.contains(runlevel))
            mark = start_mark;
        else if (kill != kill_services.end() && kill->runlevels.contains(runlevel))
            mark = kill_mark;
        QString text = disabled_mark;
        if (linked)
            text = mark == start_mark ? start_text : QStringLiteral("100");
        cells.append(ServiceTableItem::runlevel_cell(text, mark, runlevel, kill_order));
    }
    cells.append(ServiceTableItem::state_cell(state_text(service, kill_services)));
    for (ServiceTableItem *cell : qAsConst(cells))
        cell->setData(ServiceNameRole, service.name);
    return cells;
}

// insserv reads an override instead of the script's header: the user should
// see which services have one, and where it lies.
void ServiceTable::mark_override(QTableWidgetItem *name_cell, const QString &name) const
{
    name_cell->setIcon(Resource::instance().icon(QStringLiteral("override")));
    name_cell->setToolTip(tr("Override: %1").arg(overrides_dir().filePath(name)));
}

int ServiceTable::sizeHintForColumn(int column) const
{
    if (column != 0 || columnCount() < 2)
        return horizontalHeader()->sectionSizeHint(column);
    int sum = 0;
    for (int other = 1; other < columnCount(); ++other)
        sum += horizontalHeader()->sectionSizeHint(other);
    return std::max(int(sum / (columnCount() - 1) * 1.5), viewport()->width() - sum);
}

void ServiceTable::selectAll()
{
    if (rowCount() == 0)
        return;
    clearSelection();
    selectColumn(0);
}
