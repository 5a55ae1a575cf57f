#include "table/service_item_delegate.h"
#include "tests/support/test_table.h"
#include "tests/support/test_root.h"

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>

namespace {

QStringList column_texts(const TestTable &table, int column, int role = Qt::DisplayRole)
{
    QStringList texts;
    for (int row = 0; row < table.rowCount(); ++row)
        texts.append(table.item(row, column)->data(role).toString());
    return texts;
}

// Paints one cell with the given roles into a transparent 40x20 image.
QImage paint_cell(const QMap<int, QVariant> &roles, bool selected = false)
{
    QStandardItemModel model(1, 1);
    QStandardItem *item = new QStandardItem;
    for (auto it = roles.cbegin(); it != roles.cend(); ++it)
        item->setData(it.value(), it.key());
    model.setItem(0, 0, item);

    QImage image(40, 20, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.palette.setBrush(QPalette::Highlight, QColor(10, 20, 200));
    if (selected)
        option.state |= QStyle::State_Selected;
    QPainter painter(&image);
    ServiceItemDelegate().paint(&painter, option, model.index(0, 0));
    return image;
}

QMap<int, QVariant> runlevel(const QString &mark, bool changed = false)
{
    return {{ServiceTable::KindRole, 3}, {ServiceTable::MarkRole, mark}, {ServiceTable::ChangedRole, changed}};
}

} // namespace

class TestCellOrderAndPainting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void columns_sort_numbers_then_on_then_off();
    void cells_paint_marks_and_changes();
};

void TestCellOrderAndPainting::initTestCase()
{
    // A theme with the start icon only: stopped cells fall back to their fill.
    QIcon::setThemeSearchPaths({QFINDTESTDATA("icons")});
    QIcon::setThemeName(QStringLiteral("start-only"));
}

void TestCellOrderAndPainting::columns_sort_numbers_then_on_then_off()
{
    TestRoot root;
    const QStringList names{"Zeta", "alpha", "beta", "gamma", "delta"};
    for (const QString &name : names)
        root.add_script(name, {QStringLiteral("Provides: ") + name});
    root.add_link("2", "S20Zeta");
    root.add_link("2", "S05alpha");
    root.add_link("0", "K01alpha");
    root.add_link("2", "S99beta");
    root.add_link("0", "K20gamma");
    // Zeta starts at 20, alpha at 5 and stops at 1, beta at 100, gamma only stops, delta has no links.
    root.insserv().set_listing({"S:20:2:Zeta", "S:05:2:alpha", "K:01:0:alpha", "S:100:2:beta", "K:20:2:gamma",
                                "S:01:2:delta"});
    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(column_texts(table, 0), QStringList({"Zeta", "alpha", "beta", "delta", "gamma"}));

    table.sortByColumn(1, Qt::AscendingOrder);
    QCOMPARE(column_texts(table, 1), QStringList({"05", "20", "100", "on", "off"}));
    table.sortByColumn(1, Qt::DescendingOrder);
    QCOMPARE(column_texts(table, 1), QStringList({"off", "on", "100", "20", "05"}));

    const int level2 = TestTable::column_of("2");
    table.sortByColumn(level2, Qt::AscendingOrder);
    QCOMPARE(column_texts(table, level2), QStringList({"05", "20", "100", "100", "off"}));
    table.sortByColumn(level2, Qt::DescendingOrder);
    QCOMPARE(column_texts(table, level2, ServiceTable::KillOrderRole), QStringList({"100", "100", "099", "080", ""}));
    QCOMPARE(table.item(4, 0)->text(), QStringLiteral("delta"));
}

void TestCellOrderAndPainting::cells_paint_marks_and_changes()
{
    const QColor changed(255, 255, 224), highlight(10, 20, 200);
    const QPoint corner(1, 1), centre(20, 10);

    const QImage name_changed = paint_cell({{ServiceTable::KindRole, 1}, {ServiceTable::ChangedRole, true}});
    QCOMPARE(name_changed.pixelColor(corner), changed);

    const QImage ignored = paint_cell(runlevel(QString()));
    QCOMPARE(ignored.pixelColor(centre).alpha(), 0);
    QCOMPARE(ignored.pixelColor(corner).alpha(), 0);
    QCOMPARE(paint_cell(runlevel(QString()), true).pixelColor(centre), highlight);

    const QImage stopped = paint_cell(runlevel(QStringLiteral("K"), true));
    QCOMPARE(stopped.pixelColor(corner), QColor(176, 60, 60));

    // The start icon is drawn over the changed and selected fills, centred.
    const QImage started = paint_cell(runlevel(QStringLiteral("S"), true), true);
    QCOMPARE(started.pixelColor(corner), highlight);
    QCOMPARE(started.pixelColor(centre), QColor(0, 0, 255));

    QIcon::setThemeName(QStringLiteral("no-such-theme"));
    QVERIFY(QIcon::fromTheme(QStringLiteral("dialog-ok-apply")).isNull());
}

QTEST_MAIN(TestCellOrderAndPainting)
#include "tst_cell_order_and_painting.moc"
