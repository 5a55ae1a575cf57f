#include "table/service_item_delegate.h"

#include "app/resource.h"
#include "table/colour_contrast.h"
#include "table/service_table.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

const QColor light_pending(255, 255, 224);
const QColor start_fill(60, 176, 60);
const QColor stop_fill(176, 60, 60);

// Scalable icons stretch to whatever they are painted into: keep marks square
// and of one size, so start and stop look alike in every column.
QRect mark_square(const QRect &cell)
{
    const int side = std::min({cell.width(), cell.height(), 22});
    QRect square(0, 0, side, side);
    square.moveCenter(cell.center());
    return square;
}

// A tile leaves a margin of the cell's background, where the selection and the
// tint of a change show.
QRect tile(const QRect &cell)
{
    const int margin = std::max(2, std::min(cell.width(), cell.height()) / 8);
    return cell.adjusted(margin, margin, -margin, -margin);
}

// The tint of a changed cell: light yellow behind dark text, and a dark yellow
// behind the light text of a dark colour scheme.
QColor pending_colour(const QPalette &palette)
{
    return with_contrast(light_pending, palette.color(QPalette::Text));
}

// In the text colour of the cell's background, so it shows on the tint, on the
// selection and on a tile alike.
void paint_pending_corner(QPainter *painter, const QStyleOptionViewItem &option)
{
    const bool selected = option.state & QStyle::State_Selected;
    const QColor colour =
        option.palette.color(QPalette::Current, selected ? QPalette::HighlightedText : QPalette::Text);
    const int side = std::max(5, std::min(option.rect.height(), option.rect.width()) * 2 / 5);
    const QPoint corner = option.rect.topLeft();
    QPainterPath triangle(corner);
    triangle.lineTo(corner + QPoint(side, 0));
    triangle.lineTo(corner + QPoint(0, side));
    triangle.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(triangle, colour);
    painter->restore();
}

QIcon run_state_icon(RunState state)
{
    switch (state) {
    case RunState::Running:
        return Resource::instance().icon(QStringLiteral("state running"));
    case RunState::NotRunning:
        return Resource::instance().icon(QStringLiteral("state not running"));
    case RunState::Dead:
        return Resource::instance().icon(QStringLiteral("state dead"));
    case RunState::Unknown:
        break;
    }
    return Resource::instance().icon(QStringLiteral("state unknown"));
}

QColor blended(const QColor &colour, const QColor &base)
{
    return QColor((colour.red() + base.red()) / 2, (colour.green() + base.green()) / 2,
                  (colour.blue() + base.blue()) / 2);
}

} // namespace

ServiceItemDelegate::ServiceItemDelegate()
    : ServiceItemDelegate(Resource::instance().icon(QStringLiteral("service start")),
                          Resource::instance().icon(QStringLiteral("service stop")))
{
}

ServiceItemDelegate::ServiceItemDelegate(const QIcon &start, const QIcon &stop, QObject *parent)
    : QStyledItemDelegate(parent)
    , start_icon(start)
    , stop_icon(stop)
{
}

void ServiceItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const bool changed = index.data(ServiceTable::ChangedRole).toBool();
    const bool runlevel = index.data(ServiceTable::KindRole).toInt() == ServiceTable::RunlevelCell;
    if (runlevel && (option.state & QStyle::State_Selected))
        painter->fillRect(option.rect, option.palette.brush(QPalette::Current, QPalette::Highlight));
    else if (changed)
        painter->fillRect(option.rect, pending_colour(option.palette));

    if (runlevel)
        paint_mark(painter, option, index.data(ServiceTable::MarkRole).toString(), inactive(index));
    else if (index.data(ServiceTable::RunStateRole).isValid())
        paint_with_run_state(painter, option, index);
    else
        QStyledItemDelegate::paint(painter, option, index);
    if (changed)
        paint_pending_corner(painter, option);
}

// Nothing else is drawn for a runlevel cell: no text, no focus frame. The marks
// of a disabled service are greyed: they say where it would run once enabled.
void ServiceItemDelegate::paint_mark(QPainter *painter, const QStyleOptionViewItem &option, const QString &mark,
                                     bool greyed) const
{
    if (mark != ServiceTable::start_mark && mark != ServiceTable::kill_mark)
        return;
    const bool start = mark == ServiceTable::start_mark;
    const QIcon &icon = start ? start_icon : stop_icon;
    if (icon.isNull()) {
        const QColor fill = start ? start_fill : stop_fill;
        painter->fillRect(tile(option.rect), greyed ? blended(fill, option.palette.color(QPalette::Base)) : fill);
    } else {
        icon.paint(painter, mark_square(option.rect), Qt::AlignCenter, greyed ? QIcon::Disabled : QIcon::Normal,
                   QIcon::Off);
    }
}

// The icon comes first, before the override's, so that the states of all rows
// line up in one column; the background and selection span the whole cell.
void ServiceItemDelegate::paint_with_run_state(QPainter *painter, const QStyleOptionViewItem &option,
                                               const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);

    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const int side = std::min(style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, widget), cell.rect.height());
    QRect icon(cell.rect.left() + margin, 0, side, side);
    icon.moveCenter(QPoint(icon.center().x(), cell.rect.center().y()));
    // Unknown is the state of every script without a status action: shown faintly.
    const auto state = RunState(index.data(ServiceTable::RunStateRole).toInt());
    run_state_icon(state).paint(painter, icon, Qt::AlignCenter,
                                state == RunState::Unknown ? QIcon::Disabled : QIcon::Normal);
    cell.rect.setLeft(icon.right() + 1);
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}

// Both state cells of the row read "off", as they do for a disabled service,
// also while its disabling is pending.
bool ServiceItemDelegate::inactive(const QModelIndex &index)
{
    const QModelIndex start = index.sibling(index.row(), 1);
    const QModelIndex kill = index.sibling(index.row(), index.model()->columnCount() - 1);
    return start.data().toString() == ServiceTable::disabled_mark
        && kill.data().toString() == ServiceTable::disabled_mark;
}


// "on" and "off" are data that sorting and editing compare; only what is shown
// speaks the user's language.
void ServiceItemDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(ServiceTable::KindRole).toInt() != ServiceTable::StateCell)
        return;
    if (option->text == ServiceTable::enabled_mark)
        option->text = ServiceTable::tr("on");
    else if (option->text == ServiceTable::disabled_mark)
        option->text = ServiceTable::tr("off");
}
