#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

// Paints the cells of the service table. A runlevel cell shows its mark as the
// start or stop icon instead of its text (which only serves sorting and
// filtering), or as a coloured tile where the icon cannot be loaded at all. The
// selection shows behind or around the mark, and a changed cell is tinted and
// carries a corner mark drawn on top, so both stay visible in every cell. A
// name cell leads with the icon of how its service runs now, once that is known.
class ServiceItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // With the program's "service start" and "service stop" icons.
    ServiceItemDelegate();
    // A null icon makes its mark a coloured tile.
    ServiceItemDelegate(const QIcon &start, const QIcon &stop, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    void paint_mark(QPainter *painter, const QStyleOptionViewItem &option, const QString &mark, bool greyed) const;
    void paint_with_run_state(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    static bool inactive(const QModelIndex &index);

    QIcon start_icon;
    QIcon stop_icon;
};
