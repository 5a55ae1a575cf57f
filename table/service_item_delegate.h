#pragma once

#include <QStyledItemDelegate>

// Paints changed cells on a light yellow, and runlevel cells as start and stop
// icons instead of their text (which only serves sorting and filtering).
class ServiceItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
