#include "dependencies/boot_order_view.h"

#include "table/colour_contrast.h"

#include <QFile>
#include <QGraphicsItem>
#include <QStyleOptionGraphicsItem>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSvgGenerator>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The colours of the table's highlighting: coral for what a service waits
// for, blue for what waits for it.
const QColor before_colour(250, 127, 80);
const QColor after_colour(30, 90, 220);

const qreal column_gap = 48;
const qreal row_gap = 6;
const qreal padding = 8;
const qreal title_height = 28;

enum class Mark { None, Before, After };

} // namespace

struct BootOrderColours
{
    QColor base, text, frame, line, selected, selected_text, before, after;

    explicit BootOrderColours(const QPalette &palette)
        : base(palette.color(QPalette::Base))
        , text(palette.color(QPalette::Text))
        , frame(palette.color(QPalette::Mid))
        , line(palette.color(QPalette::Mid))
        , selected(palette.color(QPalette::Highlight))
        , selected_text(palette.color(QPalette::HighlightedText))
        , before(with_contrast(before_colour, base))
        , after(with_contrast(after_colour, base))
    {
    }

    QColor of(Mark mark, const QColor &normal) const
    {
        return mark == Mark::Before ? before : mark == Mark::After ? after : normal;
    }
};

// A service: its name in a frame, selectable.
class ServiceBox : public QGraphicsItem
{
public:
    ServiceBox(const QString &name, const QRectF &rect, const BootOrderColours &colours)
        : name(name), rect(rect), colours(colours)
    {
        setFlag(ItemIsSelectable);
        setData(0, name);
    }

    QRectF boundingRect() const override { return rect.adjusted(-2, -2, 2, 2); }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        const bool chosen = isSelected();
        painter->setPen(QPen(chosen ? colours.selected : colours.of(mark, colours.frame), mark == Mark::None ? 1 : 2));
        painter->setBrush(chosen ? colours.selected : colours.base);
        painter->drawRoundedRect(rect, 4, 4);
        painter->setPen(chosen ? colours.selected_text : colours.of(mark, colours.text));
        painter->drawText(rect.adjusted(padding, 0, -padding, 0), Qt::AlignVCenter | Qt::AlignLeft, name);
    }

    void set_mark(Mark new_mark)
    {
        if (mark != new_mark) {
            mark = new_mark;
            update();
        }
    }
    Mark marked() const { return mark; }

    const QString name;
    const QRectF rect;

private:
    const BootOrderColours &colours;
    Mark mark = Mark::None;
};

// From the right edge of a service to the left edge of one that waits for
// it, with a head at its end.
struct DrawnArrow
{
    BootArrow arrow;
    QPainterPath path;
    QPointF end;
    QRectF bounds;
    Mark mark = Mark::None;

    DrawnArrow(const BootArrow &arrow, const QRectF &from, const QRectF &to)
        : arrow(arrow)
    {
        const QPointF start(from.right(), from.center().y());
        end = QPointF(to.left(), to.center().y());
        const qreal reach = std::max<qreal>(std::abs(end.x() - start.x()) / 2, column_gap / 2);
        path.moveTo(start);
        path.cubicTo(start + QPointF(reach, 0), end - QPointF(reach, 0), end);
        bounds = path.boundingRect().adjusted(-8, -8, 8, 8);
    }

    void paint(QPainter *painter, const BootOrderColours &colours, Mark as) const
    {
        const QColor colour = colours.of(as, colours.line);
        QPen pen(colour, as == Mark::None ? 1 : 2, arrow.strong ? Qt::SolidLine : Qt::DashLine);
        pen.setCosmetic(true);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(path);
        QPolygonF head;
        head << end << end + QPointF(-7, -3.5) << end + QPointF(-7, 3.5);
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawPolygon(head);
    }
};

// The arrows are drawn by the scene rather than as items of their own: all of
// them plain as its background, which the view keeps as a picture, so that
// selecting a service repaints only the arrows it marks, drawn over them by
// one item beneath the services.
class BootOrderScene : public QGraphicsScene
{
public:
    BootOrderScene(QObject *parent, const BootOrderColours &colours)
        : QGraphicsScene(parent), colours(colours)
    {
    }

    QList<DrawnArrow> arrows;
    const BootOrderColours &colours;

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override
    {
        painter->fillRect(rect, colours.base);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        for (const DrawnArrow &arrow : arrows) {
            if (arrow.bounds.intersects(rect))
                arrow.paint(painter, colours, Mark::None);
        }
        painter->restore();
    }
};

class MarkedArrows : public QGraphicsItem
{
public:
    explicit MarkedArrows(const BootOrderScene &scene)
        : scene(scene)
    {
        setZValue(-1);
        setFlag(ItemUsesExtendedStyleOption);
    }

    // Takes the marks the arrows have now.
    void refresh()
    {
        prepareGeometryChange();
        bounds = QRectF();
        for (const DrawnArrow &arrow : scene.arrows) {
            if (arrow.mark != Mark::None)
                bounds |= arrow.bounds;
        }
        update();
    }

    QRectF boundingRect() const override { return bounds; }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *) override
    {
        painter->setRenderHint(QPainter::Antialiasing);
        for (const DrawnArrow &arrow : scene.arrows) {
            if (arrow.mark != Mark::None && arrow.bounds.intersects(option->exposedRect))
                arrow.paint(painter, scene.colours, arrow.mark);
        }
    }

private:
    const BootOrderScene &scene;
    QRectF bounds;
};

BootOrderView::BootOrderView(QWidget *parent)
    : QGraphicsView(parent)
    , colours(std::make_unique<BootOrderColours>(palette()))
    , picture(new BootOrderScene(this, *colours))
{
    setScene(picture);
    setCacheMode(QGraphicsView::CacheBackground);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setDragMode(QGraphicsView::ScrollHandDrag);
    // Items are added once per picture and never move: no index to keep up.
    picture->setItemIndexMethod(QGraphicsScene::NoIndex);
    connect(picture, &QGraphicsScene::selectionChanged, this, &BootOrderView::mark_selection);
}

// The scene goes first, dropping its selection on the way, while the colours
// its arrows refer to are still there: nothing is left to mark by then.
BootOrderView::~BootOrderView()
{
    picture->disconnect(this);
    delete picture;
}

void BootOrderView::show_order(const BootOrder &order, const QString &picture_title)
{
    const QSignalBlocker quiet(picture);
    picture->clear();
    boxes.clear();
    marked = nullptr;
    picture->arrows.clear();
    shown = order;
    title = picture_title;
    // The items refer to the colours, which follow the palette of the moment.
    *colours = BootOrderColours(palette());

    const QFontMetricsF metrics(font());
    const qreal box_height = metrics.height() + 10;
    auto *heading = picture->addSimpleText(title);
    heading->setBrush(colours->text);
    heading->setPos(0, 0);
    qreal x = 0;
    for (const BootStep &step : order.steps) {
        qreal width = metrics.horizontalAdvance(QStringLiteral("00"));
        for (const QString &service : step.services)
            width = std::max(width, metrics.horizontalAdvance(service));
        width += 2 * padding;
        auto *number = picture->addSimpleText(QStringLiteral("%1").arg(step.sequence, 2, 10, QLatin1Char('0')));
        number->setBrush(colours->text);
        number->setPos(x + padding, title_height);
        qreal y = title_height + box_height;
        for (const QString &service : step.services) {
            auto *box = new ServiceBox(service, QRectF(x, y, width, box_height), *colours);
            picture->addItem(box);
            boxes.insert(service, box);
            y += box_height + row_gap;
        }
        x += width + column_gap;
    }
    for (const BootArrow &arrow : order.arrows)
        picture->arrows.append(DrawnArrow(arrow, boxes.value(arrow.from)->rect, boxes.value(arrow.to)->rect));
    marked = new MarkedArrows(*picture);
    picture->addItem(marked);
    picture->setSceneRect(picture_rect());
    resetCachedContent();
}

QRectF BootOrderView::picture_rect() const
{
    QRectF rect = picture->itemsBoundingRect();
    for (const DrawnArrow &arrow : picture->arrows)
        rect |= arrow.bounds;
    return rect.adjusted(-padding, -padding, padding, padding);
}

void BootOrderView::select(const QString &service)
{
    ServiceBox *box = boxes.value(service);
    if (box && box->isSelected())
        return;
    picture->clearSelection();
    if (box) {
        box->setSelected(true);
        ensureVisible(box);
    }
}

QString BootOrderView::selected() const
{
    const QList<QGraphicsItem *> items = picture->selectedItems();
    return items.isEmpty() ? QString() : items.first()->data(0).toString();
}

// What the selected service waits for, near or far, is drawn in the one
// colour; what waits for it in the other; so are the arrows between them.
void BootOrderView::mark_selection()
{
    const QString service = selected();
    QSet<QString> before, after;
    if (!service.isEmpty()) {
        const QStringList earlier = shown.before(service), later = shown.after(service);
        before = QSet<QString>(earlier.cbegin(), earlier.cend());
        after = QSet<QString>(later.cbegin(), later.cend());
    }
    for (ServiceBox *box : std::as_const(boxes))
        box->set_mark(before.contains(box->name) ? Mark::Before : after.contains(box->name) ? Mark::After : Mark::None);
    for (DrawnArrow &arrow : picture->arrows) {
        const BootArrow &drawn = arrow.arrow;
        arrow.mark = Mark::None;
        if ((before.contains(drawn.from) || drawn.from == service)
            && (before.contains(drawn.to) || drawn.to == service))
            arrow.mark = Mark::Before;
        else if ((after.contains(drawn.to) || drawn.to == service)
                 && (after.contains(drawn.from) || drawn.from == service))
            arrow.mark = Mark::After;
    }
    if (marked)
        marked->refresh();
    if (!service.isEmpty())
        emit service_selected(service);
}

QString BootOrderView::explanation(const QString &service) const
{
    const int step = shown.step_of(service);
    if (step < 0)
        return QString();
    const QString number = QStringLiteral("%1").arg(shown.steps.at(step).sequence, 2, 10, QLatin1Char('0'));
    QString text
        = shown.shutdown ? tr("%1 stops at %2.").arg(service, number) : tr("%1 starts at %2.").arg(service, number);
    const QStringList chain = longest_chain(shown, service);
    if (chain.size() < 2)
        return text + QLatin1Char(' ')
            + (shown.shutdown ? tr("It waits for no other service that stops here.")
                              : tr("It waits for no other service that starts here."));
    return text + QLatin1Char(' ') + tr("The longest chain before it: %1.").arg(chain.join(QStringLiteral(" → ")));
}

bool BootOrderView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QGraphicsItem *item = itemAt(help->pos());
        const QString service = item ? item->data(0).toString() : QString();
        if (service.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), explanation(service), viewport());
        return true;
    }
    return QGraphicsView::viewportEvent(event);
}

QList<QStringList> BootOrderView::drawn_columns() const
{
    QMap<qreal, QMap<qreal, QString>> columns;
    for (const ServiceBox *box : boxes)
        columns[box->rect.left()].insert(box->rect.top(), box->name);
    QList<QStringList> result;
    for (const auto &column : columns)
        result.append(column.values());
    return result;
}

QStringList BootOrderView::drawn_arrows() const
{
    QStringList result;
    for (const DrawnArrow &drawn : picture->arrows)
        result.append(drawn.arrow.from + (drawn.arrow.strong ? QStringLiteral(">") : QStringLiteral("~>"))
                      + drawn.arrow.to);
    result.sort();
    return result;
}

QString BootOrderView::drawn_marks() const
{
    QStringList before, after;
    for (const ServiceBox *box : boxes) {
        if (box->marked() != Mark::None)
            (box->marked() == Mark::Before ? before : after).append(box->name);
    }
    before.sort();
    after.sort();
    return QStringLiteral("%1 < %2 > %3").arg(before.join(QLatin1Char(' ')), selected(), after.join(QLatin1Char(' ')));
}

bool BootOrderView::save_svg(const QString &path) const
{
    const QRectF source = picture_rect();
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(source.size().toSize());
    generator.setViewBox(QRectF(QPointF(0, 0), source.size()));
    generator.setTitle(title);
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    painter.fillRect(QRectF(QPointF(0, 0), source.size()), palette().color(QPalette::Base));
    picture->render(&painter, QRectF(QPointF(0, 0), source.size()), source);
    return painter.end() && QFile::exists(path);
}

bool BootOrderView::save_png(const QString &path) const
{
    const QRectF source = picture_rect();
    QImage image(source.size().toSize(), QImage::Format_ARGB32);
    image.fill(palette().color(QPalette::Base));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    picture->render(&painter, QRectF(image.rect()), source);
    painter.end();
    return image.save(path, "PNG");
}
