#include "catalogue/test_hooks.h"
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

class TestServiceTable : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRoot> root;
    std::unique_ptr<TestTable> table;

private slots:
    // cron runs in 2-5 at 20 and stops in 0 1 6 at 1; mount starts in S; idle has no links.
    void init()
    {
        test_hooks::set_process_timeout(300);
        table.reset();
        root = std::make_unique<TestRoot>();
        for (const QString name : {"cron", "mount", "idle"})
            root->add_script(name, {"Provides: " + name});
        root->add_links("2345", "S20cron");
        root->add_links("016", "K01cron");
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
        for (QTableWidgetItem *cell :
             {table->cell("mount", 0), table->cell("mount", 1), table->level_cell("mount", "2")})
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
        QContextMenuEvent click(QContextMenuEvent::Mouse, pointer, table->viewport()->mapToGlobal(pointer));
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
        sorting.set_listing(
            {"S:20:2:Zeta", "S:05:2:alpha", "K:01:0:alpha", "S:99:2:beta", "K:20:2:gamma", "S:01:2:delta"});
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

    // In every way of painting (an icon, a tile, a state's text), a selected cell differs from an
    // unselected one and a changed one from an unchanged one; a tile leaves the selection showing around it.
    void cells_show_selection_and_changes()
    {
        const int level_2 = TestTable::column_of("2");
        for (const auto &[column, icons] : QList<std::pair<int, bool>>{{level_2, true}, {1, true}, {level_2, false}}) {
            if (!icons)
                table->setItemDelegate(new ServiceItemDelegate(QIcon(), QIcon(), table.get()));
            QTableWidgetItem *cell = table->cell("cron", column);
            const auto look = [&](bool changed, bool selected) {
                cell->setData(ServiceTable::ChangedRole, changed);
                cell->setSelected(selected);
                return table->viewport()->grab(table->visualItemRect(cell)).toImage();
            };
            const QImage plain = look(false, false), selected = look(false, true), changed = look(true, false);
            QVERIFY(plain != selected && plain != changed && selected != look(true, true)
                    && changed != look(true, true));
            QCOMPARE(plain.pixelColor(plain.rect().center()) == QColor(60, 176, 60), !icons);
            QCOMPARE(selected.pixelColor(1, selected.height() - 2), table->palette().color(QPalette::Highlight));
        }
    }

    // Green on white darkens, red on a dark base lightens, green there stays; the pending fill behind
    // light text darkens. Every one keeps its hue and reaches a contrast of 4.5:1.
    void colours_keep_their_hue_and_become_readable()
    {
        const QColor white(255, 255, 255), dark(35, 38, 41), green(40, 250, 40);
        const QList<std::tuple<QColor, QColor, int>> cases{
            {green, white, -1}, {QColor(250, 0, 0), dark, 1}, {green, dark, 0}, {QColor(255, 255, 224), white, -1}};
        for (const auto &[colour, base, lightness] : cases) {
            const QColor readable = with_contrast(colour, base);
            QVERIFY(contrast_ratio(readable, base) >= 4.5 && readable.hslHue() == colour.hslHue());
            QCOMPARE((readable.lightness() > colour.lightness()) - (readable.lightness() < colour.lightness()),
                     lightness);
        }
    }

    // Pen tablets cannot double-click: with their style a single click toggles.
    void single_click_toggles_with_the_tablet_style()
    {
        auto *tablet_style = new QProxyStyle;
        tablet_style->setObjectName("vornplastiquetablet");
        QApplication::setStyle(tablet_style);
        TestTable tablet;
        QVERIFY(shown(tablet));
        for (TestTable *clicked : {table.get(), &tablet}) {
            const QRect cell = clicked->visualItemRect(clicked->level_cell("cron", "4"));
            QTest::mouseClick(clicked->viewport(), Qt::LeftButton, {}, cell.center());
        }
        QCOMPARE(mark(table->level_cell("cron", "4")) + mark(tablet.level_cell("cron", "4")), "SK");
    }

    // A row for each service listed, linked or with an override and a script; lines that name no
    // service are left out and told. Headers that only take reading: a megabyte line, thousands of
    // names. A link counts whatever the case of its name, but only when it leads to a file; the
    // links, not the listing, say where a linked service runs.
    void rows_come_from_listing_links_and_overrides()
    {
        TestRoot root;
        root.add_script("stopped", {"Provides: stopped", "Default-Start: 2 3"});
        for (const QString name : {"cron", "nolinks", "killonly", "quiet", "linkedonly", "backup~", "broken"}) {
            root.add_script(name, {"Provides: " + name});
            root.add_override(name, {"Provides: " + name});
        }
        root.add_script("networking", {"Provides: network net"});
        root.write_file("etc/insserv/overrides/broken", "### BEGIN INIT INFO\n");
        root.write_file("etc/init.d/long",
                        "### BEGIN INIT INFO\n#" + QByteArray(1 << 20, ' ') + "\n### END INIT INFO\n");
        root.add_script("many", {"Provides: many" + QString(" alias").repeated(3000)});
        root.add_links("234", "S20cron");
        root.add_links("5", "s20cron");
        root.add_links("016", "K01cron");
        root.add_links("0", "K05killonly");
        root.add_links("3", "S01linkedonly");
        root.add_links("23", "K09stopped");
        QVERIFY(QFile::link("../init.d/gone", root.path("etc/rc2.d/S20nolinks")));
        root.set_listing({"S:20:2 3 4 5:cron", "K:01:0 1 6:cron", "S:20:2:nolinks", "K:01:0:nolinks", "K:05:0:killonly",
                          "S:02:S:networking", "K:09:2 3:stopped", "S:03:2:long", "S:04:2:many", "", "short:line",
                          "S:100:2:big", "S:x:2:nan", "S:01:2:/", "S:01:2:..",
                          "S:01:2:", "S:01:2:" + QString(300, 'n')});
        TestTable table;
        QVERIFY(table.load());
        QCOMPARE(table.load_notices().first().details.split('\n'),
                 QStringList({"short:line", "S:100:2:big", "S:x:2:nan", "S:01:2:/", "S:01:2:..", "S:01:2:",
                              "S:01:2:" + QString(93, 'n') + QChar(0x2026)}));
        QCOMPARE(table.load_notices().last().details, "rc2.d/S20nolinks -> ../init.d/gone");
        QStringList order;
        for (const Service &service : table.services(true))
            order.append(service.name);
        QCOMPARE(order,
                 QStringList(
                     {"linkedonly", "cron", "long", "many", "networking", "nolinks", "killonly", "stopped", "quiet"}));
        QVERIFY(table.cell("many", 0)->text().startsWith("many: many, alias, alias"));
        QCOMPARE(table.summary("networking").section('|', 0, 0).section(" off", 0, 0), "networking: network, net");
        QCOMPARE(table.loaded_header("networking").field("Provides"), QStringLiteral("network net"));
        // Stop links where its header starts it: disabled the Debian way, shown where enabling starts it.
        // A script that only stops is not.
        QCOMPARE(table.summary("stopped").section('|', 0, 1),
                 "stopped off 100 100 100 100 100 100 100 100 off|--SS----");
        QCOMPARE(table.summary("killonly"), "killonly on 100 100 100 100 100 100 100 100 05|-------K|"
                                            "095 095 095 095 095 095 095 095");
        QCOMPARE(table.summary("cron"),
                 "cron 20 100 100 20 20 20 20 100 100 01|-KSSSSKK|099 099 099 099 099 099 099 099");
        QCOMPARE(table.summary("nolinks"), "nolinks off off off off off off off off off off|--S----K|");
        QCOMPARE(table.summary("quiet"), "quiet off off off off off off off off off off|--------|");
        QCOMPARE(table.summary("linkedonly"), "linkedonly 01 100 100 100 01 100 100 100 100 on|---S----|"
                                              "100 100 100 100 100 100 100 100");
        QCOMPARE(table.cell("cron", 0)->toolTip(), "Override: " + root.path("etc/insserv/overrides/cron"));
        QVERIFY(!table.cell("cron", 0)->icon().isNull() && table.cell("stopped", 0)->toolTip().isEmpty());
        QCOMPARE(table.horizontalHeaderItem(2)->text() + table.horizontalHeaderItem(9)->text(), "Runlevel SRunlevel 0");

        QCOMPARE(table.currentItem(), table.item(0, 0));
        table.setCurrentCell(1, 5);
        table.selectAll();
        QCOMPARE(table.selectedItems().size(), 9);
        for (const QTableWidgetItem *item : table.selectedItems())
            QCOMPARE(item->column(), 0);
    }

    void edits_move_to_a_fresh_table_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pending");
        QTest::addColumn<QString>("refused");
        QTest::newRow("every kind of edit") << "cron 2 stop\ncron 3 ignore\nmount disable\nidle enable\nidle S start"
                                            << "cron 2 stop; cron 3 ignore; idle enable; idle S start; "
                                               "mount disable" << "";
        QTest::newRow("already in effect, the last line for a key")
            << "cron 2 start\nmount enable\ncron 4 stop\ncron 4 start"
            << ""
            << "";
        QTest::newRow("gone service, unknown runlevel, stop on S")
            << "gone 2 stop\ncron 7 stop\nmount S stop\ncron 0 start"
            << "cron 0 start" << "cron 7 stop (no such runlevel); gone 2 stop (no such service in the table); "
                                 "mount S stop (not an edit the table makes)";
        QTest::newRow("lines that say no edit")
            << "# from elsewhere\n\ncron\ncron 2 enable\ncron 2 3 stop\n  idle   enable  "
            << "idle enable"
            << "cron; cron 2 enable; cron 2 3 stop";
    }

    // Edits read from text are registered as the user's own: pending, their cells changed, told to the
    // window; the table gives them back as the same text.
    void edits_move_to_a_fresh_table()
    {
        QFETCH(QString, text);
        QSignalSpy changed(table.get(), &ServiceTable::table_changed);
        QStringList refused;
        const FittedEdits fitted = table->register_edits(edits_from_text(text.toUtf8(), refused));
        refused = fitted.refused + refused;
        QTEST(refused.join("; "), "refused");
        const QString back = QString(edits_to_text(table->pending_edits())).trimmed().replace('\n', "; ");
        QTEST(back, "pending");
        QCOMPARE(fitted.pending, table->pending_edits());
        QCOMPARE(!changed.isEmpty() && changed.last().first().toBool(), !back.isEmpty());
        if (back.contains("idle enable"))
            QVERIFY(table->cell("idle", 10)->data(ServiceTable::ChangedRole).toBool());
    }

    void listing_is_read_to_its_end_or_not_at_all_data()
    {
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("insserv missing") << "missing" << "0 rows, 0 columns";
        QTest::newRow("never prints") << "silent" << "0 rows, 0 columns";
        QTest::newRow("never finishes") << "hang" << "0 rows, 0 columns";
        QTest::newRow("no /etc/init.d") << "no init.d" << "0 rows, 0 columns";
        QTest::newRow("slow, a line at a time") << "trickle" << "3 rows, 11 columns";
    }

    void listing_is_read_to_its_end_or_not_at_all()
    {
        QFETCH(QString, behaviour);
        QFETCH(QString, loaded);
        test_hooks::set_process_timeout(behaviour == "trickle" ? 5000 : 300);
        TestRoot root;
        root.set_listing({"S:01:2:one", "S:02:2:two", "S:03:2:three"});
        if (behaviour == "missing")
            root.remove_insserv();
        else if (behaviour == "no init.d")
            QVERIFY(QDir(root.path("etc/init.d")).removeRecursively());
        else
            root.set_behaviour("listing", behaviour);
        TestTable table;
        QCOMPARE(table.load(), loaded.startsWith('3'));
        QCOMPARE(QStringLiteral("%1 rows, %2 columns").arg(table.rowCount()).arg(table.columnCount()), loaded);
        QCOMPARE(table.services(true).size(), table.rowCount());
    }

    // Loading runs nothing but the listing, and asks nothing: insserv's warnings become a notice,
    // but for those of services disabled the Debian way; a setup insserv refuses loads from the
    // links, and the notice says in plain words what insserv refuses.
    void loading_changes_nothing_and_tells_without_asking()
    {
        TestRoot root;
        for (const QString name : {"cron", "dbus", "avahi"})
            root.add_script(name, {"Provides: " + name, "Default-Start: 2"});
        root.add_links("2", "S01dbus");
        root.add_links("2", "S02avahi");
        root.set_listing({"S:01:2:dbus", "S:02:2:avahi", "S:03:2:cron"});
        root.set_stderr("listing", "insserv: warning: script 'cron' missing LSB tags\ninsserv: warning: current start "
                                   "runlevel(s) (empty) of script `dbus' overrides LSB defaults (2).\n");
        ModalWatcher watcher;
        TestTable table;
        QVERIFY(table.load());
        QCOMPARE(root.calls(true) + root.calls(), QStringList({"-s"}));
        QCOMPARE(table.load_notices().size(), 1);
        QCOMPARE(table.load_notices().first().details, "insserv: warning: script 'cron' missing LSB tags");

        root.set_behaviour("listing", "exit 1");
        root.set_stderr("listing", "insserv: FATAL: service dbus is missed in the runlevels 2 to use service avahi\n");
        QFile::remove(root.path("etc/rc2.d/S01dbus"));
        TestTable refused;
        QVERIFY(refused.load());
        QCOMPARE(refused.summary("avahi").section('|', 0, 1), "avahi 02 100 100 02 100 100 100 100 100 on|--S-----");
        QCOMPARE(refused.summary("cron").section('|', 0, 1), "cron off off off off off off off off off off|--S-----");
        QVERIFY(refused.load_notices().first().text.contains(
            "avahi needs dbus in runlevels 2, where dbus does not start: start dbus there, "
            "or stop avahi there."));
        QVERIFY(watcher.unexpected.isEmpty() && watcher.texts.isEmpty());
    }
};

QTEST_MAIN(TestServiceTable)
#include "tst_service_table.moc"
