#include "table/service_table.h"

#include "app/resource.h"
#include "catalogue/administrator_rights.h"
#include "catalogue/listing_line.h"
#include "catalogue/service_info.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"
#include "table/service_item_delegate.h"
#include "table/service_table_item.h"

#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QProcess>
#include <QStyle>

#include <algorithm>

const QString ServiceTable::disabled_mark = QStringLiteral("off");
const QString ServiceTable::enabled_mark = QStringLiteral("on");
const QString ServiceTable::start_mark = QStringLiteral("S");
const QString ServiceTable::kill_mark = QStringLiteral("K");

namespace {

QString padded(int number, int width)
{
    return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
}

QList<Service> sorted(QList<Service> list)
{
    std::sort(list.begin(), list.end());
    return list;
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
    if (!read_listing() || !init_scripts_dir().exists()) {
        start_services.clear();
        kill_services.clear();
        return false;
    }
    scan_links();
    collect_unlisted_services();
    collect_disabled_services();

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
    while (!listing.atEnd()) {
        const QString line = utf8_up_to_nul(listing.readLine());
        if (line.trimmed().isEmpty())
            continue;
        if (!is_listing_line(line)) {
            refused.append(line.trimmed());
            continue;
        }
        Service service;
        service.parse_insserv_line(line);
        service.load_provides();
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

void ServiceTable::scan_links()
{
    const QStringList runlevels = all_runlevels();
    const QList<QDir> directories = runlevel_directories();
    for (int level = 0; level < directories.size(); ++level) {
        for (QString name : directories.at(level).entryList()) {
            const QChar kind = name.at(0).toUpper();
            const Service service(name.remove(0, 3));
            linked_services.insert(service);
            QChar &known = link_kinds[service.name][runlevels.at(level)];
            if (known != start_mark.at(0))
                known = kind;
            for (QSet<Service> *side : {&start_services, &kill_services}) {
                auto found = side->find(service);
                if (found == side->end() || found->linked)
                    continue;
                Service linked = *found;
                linked.linked = true;
                side->erase(found);
                side->insert(linked);
            }
        }
    }
}

// Disabled is what the links say: none at all, or none that starts a service
// whose header starts it somewhere (Debian's update-rc.d disable turns start
// links into stop links). A script that only stops is not disabled.
void ServiceTable::collect_disabled_services()
{
    for (const Service &service : services(true)) {
        const bool starts = !ServiceInfo(service.name).field(QStringLiteral("Default-Start")).trimmed().isEmpty();
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
        if (!QFile::exists(QStringLiteral("%1/%2").arg(init_scripts_dir().path(), name)))
            continue;
        if (name.endsWith(QLatin1Char('~')) || !ServiceInfo(name).valid)
            continue;
        unlisted_services.insert(service);
    }
}

QList<Service> ServiceTable::services(bool all_rows) const
{
    QList<Service> kills;
    for (const Service &service : kill_services) {
        if (!start_services.contains(service))
            kills.append(service);
    }
    QList<Service> result = sorted(start_services.values()) + sorted(kills) + sorted(unlisted_services.values());
    if (all_rows)
        return result;

    QSet<QString> hidden;
    for (int row = 0; row < rowCount(); ++row) {
        if (isRowHidden(row))
            hidden.insert(item(row, 0)->data(ServiceNameRole).toString());
    }
    result.erase(std::remove_if(result.begin(), result.end(),
                                [&hidden](const Service &service) { return hidden.contains(service.name); }),
                 result.end());
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
    const QList<Service> all = services(true);
    const QStringList runlevels = all_runlevels();
    setRowCount(all.size());
    verticalHeader()->setVisible(false);

    for (int row = 0; row < all.size(); ++row) {
        const Service &service = all.at(row);
        const bool linked = linked_services.contains(service);
        const auto start = start_services.find(service);
        const auto kill = kill_services.find(service);
        QString kill_order;
        if (linked)
            kill_order = kill == kill_services.end() ? QStringLiteral("100") : padded(100 - kill->sequence, 3);

        ServiceTableItem *name_cell = ServiceTableItem::name_cell(name_text(service));
        if (overridden.contains(service.name))
            mark_override(name_cell, service.name);
        QList<ServiceTableItem *> cells{name_cell,
                                        ServiceTableItem::state_cell(state_text(service, start_services))};
        for (const QString &runlevel : runlevels) {
            QString mark;
            if (start != start_services.end() && start->runlevels.contains(runlevel))
                mark = start_mark;
            else if (kill != kill_services.end() && kill->runlevels.contains(runlevel))
                mark = kill_mark;
            QString text = disabled_mark;
            if (linked)
                text = mark == start_mark ? padded(start->sequence, 2) : QStringLiteral("100");
            cells.append(ServiceTableItem::runlevel_cell(text, mark, runlevel, kill_order));
        }
        cells.append(ServiceTableItem::state_cell(state_text(service, kill_services)));

        for (int column = 0; column < cells.size(); ++column) {
            cells.at(column)->setData(ServiceNameRole, service.name);
            setItem(row, column, cells.at(column));
        }
    }
    resizeColumnsToContents();
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
