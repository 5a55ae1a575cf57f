#include "table/service_item_delegate.h"

#include "app/resource.h"
#include "table/service_table.h"

#include <QPainter>

#include <algorithm>

void ServiceItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    if (index.data(ServiceTable::ChangedRole).toBool())
        painter->fillRect(option.rect, QColor(255, 255, 224));
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, option.palette.brush(QPalette::Current, QPalette::Highlight));

    if (index.data(ServiceTable::KindRole).toInt() != ServiceTable::RunlevelCell) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    const QString mark = index.data(ServiceTable::MarkRole).toString();
    QIcon icon;
    if (mark == ServiceTable::start_mark) {
        icon = Resource::instance().icon(QStringLiteral("service start"));
        if (icon.isNull())
            painter->fillRect(option.rect, QColor(60, 176, 60));
    } else if (mark == ServiceTable::kill_mark) {
        icon = Resource::instance().icon(QStringLiteral("service stop"));
        if (icon.isNull())
            painter->fillRect(option.rect, QColor(176, 60, 60));
    }
    if (icon.isNull())
        return;
    // Scalable icons stretch to whatever they are painted into: keep them square
    // and of one size, so start and stop marks look alike in every column.
    const int side = std::min({option.rect.width(), option.rect.height(), 22});
    QRect square(0, 0, side, side);
    square.moveCenter(option.rect.center());
    icon.paint(painter, square, Qt::AlignCenter, QIcon::Normal, QIcon::Off);
}
