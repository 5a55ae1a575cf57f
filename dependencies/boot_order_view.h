#pragma once

#include "catalogue/boot_order.h"

#include <QGraphicsView>
#include <QHash>

#include <memory>

class BootOrderScene;
class MarkedArrows;
struct BootOrderColours;
class ServiceBox;

// Draws one runlevel's boot or shutdown: a column per sequence number, left
// to right, the services of that number stacked in it, and an arrow from each
// service to every one that waits for it (dashed where it only orders).
// Selecting a service marks what it waits for and what waits for it.
class BootOrderView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit BootOrderView(QWidget *parent = nullptr);
    ~BootOrderView() override;

    void show_order(const BootOrder &order, const QString &title);
    const BootOrder &order() const { return shown; }
    void select(const QString &service);
    QString selected() const;

    // The picture as drawn: the services of each column, top to bottom, left
    // to right, and each arrow as "from>to" ("from~>to" dashed).
    QList<QStringList> drawn_columns() const;
    QStringList drawn_arrows() const;
    // The marks of the selection: "what it waits for < selected > what waits for it".
    QString drawn_marks() const;
    // Why a service stands where it does, as its tool tip says.
    QString explanation(const QString &service) const;

    bool save_svg(const QString &path) const;
    bool save_png(const QString &path) const;

signals:
    void service_selected(const QString &service);

protected:
    bool viewportEvent(QEvent *event) override;

private:
    void mark_selection();
    QRectF picture_rect() const;

    std::unique_ptr<BootOrderColours> colours;
    BootOrderScene *picture = nullptr;
    MarkedArrows *marked = nullptr;
    BootOrder shown;
    QString title;
    QHash<QString, ServiceBox *> boxes;
};
