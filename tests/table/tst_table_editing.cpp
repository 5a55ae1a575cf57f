#include "table/colour_contrast.h"
#include "table/service_item_delegate.h"
#include "tests/support/fixture.h"

namespace {

using Key = QPair<Service, QString>;

QString mark(QTableWidgetItem *cell)
{
    return cell->data(ServiceTable::MarkRole).toString();
}

// The view takes a double click only on the cell that the first click pressed.
void double_click(ServiceTable &table, QTableWidgetItem *item)
{
    const QPoint centre = table.visualItemRect(item).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, centre);
}

QStringList column(const TestTable &table, int column, int role = Qt::DisplayRole)
{
    QStringList texts;
    for (int row = 0; row < table.rowCount(); ++row)
        texts.append(table.item(row, column)->data(role).toString());
    return texts;
}

// Loads the table and shows it, as the window does.
bool shown(TestTable &table)
{
    if (!table.load())
        return false;
    table.resize(1000, 400);
    table.show();
    return QTest::qWaitForWindowExposed(&table);
}

} // namespace

class TabletStyle : public QProxyStyle
{
public:
    TabletStyle() { setObjectName("vornplastiquetablet"); }
};

class TestTableEditing : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRoot> root;
    std::unique_ptr<TestTable> table;

private slots:
    // cron runs in 2-5 at 20 and stops in 0 1 6 at 1; mount starts in S; idle has no links.
    void init()
    {
        table.reset();
        root = std::make_unique<TestRoot>();
        for (const QString name : {"cron", "mount", "idle"})
            root->add_script(name, {"Provides: " + name});
        root->add_links("2", "S20cron");
        root->add_links("0", "K01cron");
        root->add_links("S", "S03mount");
        root->set_listing({"S:20:2 3 4 5:cron", "K:01:0 1 6:cron", "S:03:S:mount", "S:07:2:idle"});
        table = std::make_unique<TestTable>();
        QVERIFY(shown(*table));
    }

    // A runlevel cell cycles S, K, none (runlevel S skips K); each new mark reaches the view, which
    // paints it. Coming back to the loaded value withdraws the change.
    void toggles_cycle_and_withdraw_changes()
    {
        QSignalSpy changed(table.get(), &ServiceTable::table_changed);
        qRegisterMetaType<QVector<int>>();
        QSignalSpy reports(table->model(), &QAbstractItemModel::dataChanged);
        QTableWidgetItem *cell = table->level_cell("cron", "2");
        for (const char *expected : {"K", "", "S"}) {
            double_click(*table, cell);
            QCOMPARE(mark(cell), QString(expected));
        }
        QCOMPARE(std::count_if(reports.cbegin(), reports.cend(), [](const QList<QVariant> &report) {
                     return report.at(2).value<QVector<int>>().contains(ServiceTable::MarkRole);
                 }), 3);
        QCOMPARE(changed.size(), 3);
        QVERIFY(changed.at(0).first().toBool() && !changed.at(2).first().toBool());
        QVERIFY(table->changes.isEmpty() && !cell->data(ServiceTable::ChangedRole).toBool());
        QCOMPARE(cell->text(), QStringLiteral("20"));
        QTableWidgetItem *level_s = table->level_cell("mount", "S");
        table->toggle_item(level_s);
        QCOMPARE(mark(level_s), QString());
        table->toggle_item(level_s);
        QCOMPARE(mark(level_s), QStringLiteral("S"));

        double_click(*table, table->cell("cron", 10));
        QCOMPARE(table->summary("cron").section('|', 0, 0), "cron off 100 100 20 20 20 20 100 100 off");
        QCOMPARE(table->changes, ChangeMap({{Key(Service("cron"), ""), "K"}}));
        double_click(*table, table->cell("cron", 1));
        QCOMPARE(table->cell("cron", 1)->text() + table->cell("cron", 10)->text(), QStringLiteral("2001"));
        QVERIFY(table->changes.isEmpty() && !table->cell("cron", 10)->data(ServiceTable::ChangedRole).toBool());
        table->toggle_item(table->cell("idle", 10));
        QCOMPARE(table->cell("idle", 1)->text() + table->cell("idle", 10)->text(), QStringLiteral("07on"));
        QCOMPARE(table->loaded_values.value(Key(Service("idle"), "")), QStringLiteral("K"));
    }

    void bulk_changes_act_once_per_row_on_runlevel_cells()
    {
        QSignalSpy changed(table.get(), &ServiceTable::table_changed);
        for (int column : {1, 10, 4})
            table->cell("cron", column)->setSelected(true);
        table->switch_services_state(false);
        QCOMPARE(changed.size(), 1);
        table->clearSelection();
        for (QTableWidgetItem *cell : {table->cell("mount", 0), table->cell("mount", 1), table->level_cell("mount", "2")})
            cell->setSelected(true);
        table->switch_services_runlevels("K");
        QCOMPARE(table->changes, ChangeMap({{Key(Service("cron"), ""), "K"}, {Key(Service("mount"), "2"), "K"}}));
        QVERIFY(!table->cell("mount", 0)->data(ServiceTable::MarkRole).isValid());
        QCOMPARE(table->cell("mount", 1)->text(), QStringLiteral("03"));
    }

    // The menu offers what the selected cells allow; a right click opens it at the pointer.
    void selection_drives_the_context_menu()
    {
            ModalWatcher watcher;
        const auto menu = [this, &watcher](QList<QTableWidgetItem *> cells, const QString &choice) {
            table->clearSelection();
            for (QTableWidgetItem *cell : cells)
                cell->setSelected(true);
            watcher.expect_menu(choice);
            QMetaObject::invokeMethod(table.get(), "context_menu", Q_ARG(QPoint, QPoint(5, 5)));
        };
        menu({table->cell("idle", 0)}, QString());
        menu({table->level_cell("mount", "S")}, QString());
        menu({table->cell("idle", 1), table->cell("cron", 10)}, "enable service");
        QCOMPARE(table->cell("idle", 1)->text(), QStringLiteral("07"));
        menu({table->level_cell("idle", "3")}, "stop");
        QCOMPARE(mark(table->level_cell("idle", "3")), QStringLiteral("K"));
        // The chosen mark is what the menu offers to leave, with the selection unchanged.
        watcher.expect_menu(QString());
        QMetaObject::invokeMethod(table.get(), "context_menu", Q_ARG(QPoint, QPoint(5, 5)));
        QCOMPARE(watcher.menus, QList<QStringList>({{"edit service"}, {"ignore"}, {"disable service", "enable service"},
                                                    {"start", "stop"}, {"ignore", "start"}}));
        QVERIFY(watcher.unexpected.isEmpty());

        const QPoint pointer = table->visualItemRect(table->cell("cron", 0)).center();
        QPoint opened;
        watcher.expect([&opened](QWidget *popup) {
            opened = popup->pos();
            popup->close();
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, pointer);
        QCoreApplication::sendEvent(table->viewport(), &click);
        QCOMPARE(opened, table->viewport()->mapToGlobal(pointer));
    }

    // Descending, a runlevel column sorts by the kill order: stop links first, from the lowest.
    void columns_sort_numbers_then_on_then_off()
    {
        TestRoot sorting;
        for (const QString name : {"Zeta", "alpha", "beta", "gamma", "delta"})
            sorting.add_script(name, {"Provides: " + name});
        for (const char *link : {"S20Zeta", "S05alpha", "K01alpha", "S99beta", "K20gamma"})
            sorting.add_links(link[0] == 'S' ? "2" : "0", link);
        sorting.set_listing({"S:20:2:Zeta", "S:05:2:alpha", "K:01:0:alpha", "S:99:2:beta", "K:20:2:gamma", "S:01:2:delta"});
        TestTable sorted;
        QVERIFY(sorted.load());
        QCOMPARE(column(sorted, 0), QStringList({"Zeta", "alpha", "beta", "delta", "gamma"}));
        sorted.sortByColumn(1, Qt::AscendingOrder);
        QCOMPARE(column(sorted, 1), QStringList({"05", "20", "99", "on", "off"}));
        sorted.sortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(column(sorted, 1), QStringList({"off", "on", "99", "20", "05"}));
        sorted.sortByColumn(4, Qt::AscendingOrder);
        QCOMPARE(column(sorted, 4), QStringList({"05", "20", "99", "100", "off"}));
        sorted.sortByColumn(4, Qt::DescendingOrder);
        QCOMPARE(column(sorted, 4, ServiceTable::KillOrderRole), QStringList({"100", "100", "099", "080", ""}));
    }

    void cells_show_selection_and_changes_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("icons");
        QTest::newRow("started runlevel cell, icon") << TestTable::column_of("2") << true;
        QTest::newRow("started runlevel cell, tile") << TestTable::column_of("2") << false;
        QTest::newRow("state cell") << 1 << true;
    }

    // In every way of painting, a selected cell differs from an unselected one and a changed one from an
    // unchanged one; a tile leaves the selection showing around it.
    void cells_show_selection_and_changes()
    {
        QFETCH(int, column);
        QFETCH(bool, icons);
        if (!icons)
            table->setItemDelegate(new ServiceItemDelegate(QIcon(), QIcon(), table.get()));
        QTableWidgetItem *cell = table->cell("cron", column);
        const auto look = [&](bool changed, bool selected) {
            cell->setData(ServiceTable::ChangedRole, changed);
            cell->setSelected(selected);
            return table->viewport()->grab(table->visualItemRect(cell)).toImage();
        };
        const QImage plain = look(false, false), selected = look(false, true), changed = look(true, false);
        QVERIFY(plain != selected && plain != changed && selected != look(true, true) && changed != look(true, true));
        QCOMPARE(plain.pixelColor(plain.rect().center()) == QColor(60, 176, 60), !icons);
        QCOMPARE(selected.pixelColor(1, selected.height() - 2), table->palette().color(QPalette::Highlight));
    }

    void colours_keep_their_hue_and_become_readable_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QColor>("base");
        QTest::addColumn<int>("lightness");
        const QColor dark(35, 38, 41);
        QTest::newRow("green on white: darker") << QColor(40, 250, 40) << QColor(255, 255, 255) << -1;
        QTest::newRow("red on a dark base: lighter") << QColor(250, 0, 0) << dark << 1;
        QTest::newRow("green on a dark base: as it is") << QColor(40, 250, 40) << dark << 0;
        QTest::newRow("pending behind light text: darker") << QColor(255, 255, 224) << QColor(252, 252, 252) << -1;
    }

    void colours_keep_their_hue_and_become_readable()
    {
        QFETCH(QColor, colour);
        QFETCH(QColor, base);
        const QColor readable = with_contrast(colour, base);
        QVERIFY(contrast_ratio(readable, base) >= 4.5);
        QCOMPARE(readable.hslHue(), colour.hslHue());
        QTEST((readable.lightness() > colour.lightness()) - (readable.lightness() < colour.lightness()), "lightness");
    }

    // Pen tablets cannot double-click: with their style a single click toggles.
    void single_click_toggles_with_the_tablet_style()
    {
        QTableWidgetItem *cell = table->level_cell("cron", "4");
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(cell).center());
        QCOMPARE(mark(cell), QStringLiteral("S"));
        QApplication::setStyle(new TabletStyle);
        TestTable tablet;
        QVERIFY(shown(tablet));
        cell = tablet.level_cell("cron", "4");
        QTest::mouseClick(tablet.viewport(), Qt::LeftButton, {}, tablet.visualItemRect(cell).center());
        QCOMPARE(mark(cell), QStringLiteral("K"));
    }
};

QTEST_MAIN(TestTableEditing)
#include "tst_table_editing.moc"
