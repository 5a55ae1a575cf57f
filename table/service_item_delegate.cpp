#include "table/service_item_delegate.h"

#include "app/resource.h"
#include "table/service_table.h"

#include <QPainter>

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
    if (mark == QLatin1String("S")) {
        icon = Resource::instance().icon(QStringLiteral("service start"));
        if (icon.isNull())
            painter->fillRect(option.rect, QColor(60, 176, 60));
    } else if (mark == QLatin1String("K")) {
        icon = Resource::instance().icon(QStringLiteral("service stop"));
        if (icon.isNull())
            painter->fillRect(option.rect, QColor(176, 60, 60));
    }
    if (!icon.isNull())
        icon.paint(painter, option.rect, Qt::AlignCenter, QIcon::Normal, QIcon::Off);
}
