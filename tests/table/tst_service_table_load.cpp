#include "catalogue/test_hooks.h"
#include "tests/support/test_table.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"

#include <QHeaderView>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>

namespace {

const QStringList cron_listing{QStringLiteral("S:20:2 3 4 5:cron"), QStringLiteral("K:01:0 1 6:cron")};

QStringList repeated(int count, const char *text)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(QLatin1String(text));
    return list;
}

QStringList row_texts(const QTableWidget &table, int row)
{
    QStringList texts;
    for (int column = 0; column < table.columnCount(); ++column)
        texts.append(table.item(row, column)->text());
    return texts;
}

QStringList marks(const TestTable &table, const QString &name, int role = ServiceTable::MarkRole)
{
    QStringList result;
    for (int column = 2; column < 10; ++column)
        result.append(table.cell(name, column)->data(role).toString());
    return result;
}

} // namespace

class TestServiceTableLoad : public QObject
{
    Q_OBJECT

private slots:
    void init() { test_hooks::set_process_timeout(300); }
    void columns_and_slots_keep_their_order();
    void listed_services_fill_their_rows();
    void unlinked_services_are_off();
    void state_cells_without_listing_side_are_on();
    void unlisted_services_come_from_valid_overrides();
    void rows_are_sorted_by_name_and_show_provides();
    void header_clicks_filter_rows();
    void select_all_selects_names();
    void failing_listing_leaves_an_empty_table_data();
    void failing_listing_leaves_an_empty_table();
    void slow_listing_is_read_to_its_end();
    void preliminary_errors_are_shown();
};

void TestServiceTableLoad::columns_and_slots_keep_their_order()
{
    TestRoot root;
    root.add_script(QStringLiteral("cron"), {});
    root.insserv().set_listing(cron_listing);
    TestTable table;
    QVERIFY(table.load());

    QStringList headers;
    for (int column = 0; column < table.columnCount(); ++column)
        headers.append(table.horizontalHeaderItem(column)->text());
    QCOMPARE(headers, QStringList({"Service", "Start", "Runlevel S", "Runlevel 1", "Runlevel 2", "Runlevel 3",
                                   "Runlevel 4", "Runlevel 5", "Runlevel 6", "Runlevel 0", "Kill"}));

    const QMetaObject *meta = &ServiceTable::staticMetaObject;
    QStringList methods;
    for (int index = meta->methodOffset(); index < meta->methodCount(); ++index)
        methods.append(QString::fromLatin1(meta->method(index).methodSignature()));
    QCOMPARE(methods, QStringList({"table_changed(bool)",
                                   "need_restart()",
                                   "selection_changed(bool,bool,bool,bool,bool)",
                                   "context_menu(QPoint)",
                                   "toggle_service_state(QTableWidgetItem*)",
                                   "toggle_service_runlevel(QTableWidgetItem*)",
                                   "switch_service_state(QTableWidgetItem*,bool)",
                                   "switch_service_runlevel(QTableWidgetItem*,QString)",
                                   "highlight_service_dependencies(QTableWidgetItem*)",
                                   "selectionChanged(QItemSelection,QItemSelection)",
                                   "apply_changes()",
                                   "toggle_item(QTableWidgetItem*)",
                                   "switch_services_runlevels(QString)",
                                   "switch_services_state(bool)",
                                   "highlight_services_dependencies(bool)",
                                   "edit_service(QTableWidgetItem*)",
                                   "reset_services_defaults()",
                                   "selectAll()",
                                   "filter_items(int)"}));

    const int height = table.fontMetrics().boundingRect(QStringLiteral("X")).height();
    QCOMPARE(table.verticalHeader()->defaultSectionSize(), int(height * 2.1));
    QVERIFY(!table.verticalHeader()->isVisible());
    QVERIFY(table.isSortingEnabled());
    QCOMPARE(table.currentRow(), 0);
    QCOMPARE(table.currentColumn(), 0);
}

void TestServiceTableLoad::listed_services_fill_their_rows()
{
    TestRoot root;
    root.add_script(QStringLiteral("cron"), {QStringLiteral("Provides: cron")});
    for (const char *level : {"2", "3", "4", "5"})
        root.add_link(QLatin1String(level), QStringLiteral("S20cron"));
    for (const char *level : {"0", "1", "6"})
        root.add_link(QLatin1String(level), QStringLiteral("K01cron"));
    root.insserv().set_listing(cron_listing);

    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(row_texts(table, 0),
             QStringList({"cron", "20", "100", "100", "20", "20", "20", "20", "100", "100", "01"}));
    QCOMPARE(marks(table, "cron"), QStringList({"", "K", "S", "S", "S", "S", "K", "K"}));
    QCOMPARE(marks(table, "cron", ServiceTable::KillOrderRole), repeated(8, "099"));
    QCOMPARE(marks(table, "cron", ServiceTable::RunlevelRole), QStringList({"S", "1", "2", "3", "4", "5", "6", "0"}));
    QCOMPARE(table.item(0, 1)->data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QCOMPARE(table.item(0, 0)->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    for (int column = 0; column < 11; ++column) {
        QCOMPARE(table.item(0, column)->data(ServiceTable::ServiceNameRole).toString(), QStringLiteral("cron"));
        const int kind = column == 0 ? 1 : (column == 1 || column == 10) ? 2 : 3;
        QCOMPARE(table.item(0, column)->data(ServiceTable::KindRole).toInt(), kind);
    }
    QVERIFY(table.start_services.begin()->linked);
    QVERIFY(table.kill_services.begin()->linked);
}

void TestServiceTableLoad::unlinked_services_are_off()
{
    TestRoot root;
    root.add_script(QStringLiteral("cron"), {QStringLiteral("Provides: cron")});
    root.insserv().set_listing(cron_listing);
    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(row_texts(table, 0), QStringList({"cron", "off", "off", "off", "off", "off", "off", "off", "off", "off",
                                               "off"}));
    QCOMPARE(marks(table, "cron"), QStringList({"", "K", "S", "S", "S", "S", "K", "K"}));
    QCOMPARE(marks(table, "cron", ServiceTable::KillOrderRole), repeated(8, ""));
}

void TestServiceTableLoad::state_cells_without_listing_side_are_on()
{
    TestRoot root;
    root.add_script(QStringLiteral("aaa-killonly"), {});
    root.add_script(QStringLiteral("zzz"), {});
    root.add_link(QStringLiteral("0"), QStringLiteral("K05aaa-killonly"));
    root.add_link(QStringLiteral("2"), QStringLiteral("S02zzz"));
    root.insserv().set_listing({"K:05:0:aaa-killonly", "S:02:2:zzz", "S:03:2:zzz", "short:line", ""});
    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(table.cell("aaa-killonly", 1)->text(), QStringLiteral("on"));
    QCOMPARE(table.cell("aaa-killonly", 10)->text(), QStringLiteral("05"));
    QCOMPARE(table.level_cell("aaa-killonly", "0")->data(ServiceTable::KillOrderRole).toString(), "095");
    QCOMPARE(table.cell("zzz", 10)->text(), QStringLiteral("on"));
    QCOMPARE(table.cell("zzz", 1)->text(), QStringLiteral("02"));
    QCOMPARE(table.level_cell("zzz", "2")->data(ServiceTable::KillOrderRole).toString(), "100");

    const QList<Service> services = table.services(true);
    QCOMPARE(services.size(), 2);
    QCOMPARE(services.at(0).name, QStringLiteral("zzz"));
    QCOMPARE(services.at(0).sequence, quint16(2));
    QCOMPARE(services.at(1).name, QStringLiteral("aaa-killonly"));
}

void TestServiceTableLoad::unlisted_services_come_from_valid_overrides()
{
    TestRoot root;
    for (const QString name : {"cron", "quiet", "linked", "backup~", "broken", "scriptless"}) {
        root.add_script(name, {QStringLiteral("Provides: %1").arg(name)});
        root.add_override(name, {QStringLiteral("Provides: %1").arg(name)});
    }
    QFile::remove(root.path("etc/init.d/scriptless"));
    root.write_file("etc/insserv/overrides/broken", "### BEGIN INIT INFO\n# Provides: broken\n");
    root.add_link(QStringLiteral("3"), QStringLiteral("S01linked"));
    root.insserv().set_listing({"S:01:2:cron"});

    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(table.unlisted_services.size(), 2);
    QCOMPARE(table.visible_names(), QStringList({"cron", "linked", "quiet"}));
    QCOMPARE(row_texts(table, table.row_of("quiet")).mid(1), repeated(10, "off"));
    QCOMPARE(marks(table, "quiet"), repeated(8, ""));
    QCOMPARE(table.cell("linked", 1)->text(), QStringLiteral("on"));
    QCOMPARE(table.cell("linked", 10)->text(), QStringLiteral("on"));
    QCOMPARE(table.level_cell("linked", "3")->text(), QStringLiteral("100"));

    const QList<Service> services = table.services(true);
    QCOMPARE(services.first().name, QStringLiteral("cron"));
    QCOMPARE(services.at(1).name, QStringLiteral("linked"));
}

void TestServiceTableLoad::rows_are_sorted_by_name_and_show_provides()
{
    TestRoot root;
    root.add_script(QStringLiteral("networking"), {QStringLiteral("Provides: network net")});
    root.add_script(QStringLiteral("cron"), {QStringLiteral("Provides: cron")});
    root.add_script(QStringLiteral("apache"), {QStringLiteral("Provides: httpd")});
    root.add_link(QStringLiteral("2"), QStringLiteral("S01networking"));
    root.insserv().set_listing({"S:01:2:networking", "S:02:2:cron", "S:03:2:apache"});

    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(table.visible_names(), QStringList({"apache", "cron", "networking"}));
    QCOMPARE(table.cell("networking", 0)->text(), QStringLiteral("networking: network, net"));
    QCOMPARE(table.cell("apache", 0)->text(), QStringLiteral("apache: httpd"));
    QCOMPARE(table.cell("cron", 0)->text(), QStringLiteral("cron"));
    // services() keeps the load order: linked first, then by name.
    QCOMPARE(table.services(true).first().name, QStringLiteral("networking"));
}

void TestServiceTableLoad::header_clicks_filter_rows()
{
    TestRoot root;
    const QStringList names{"a-start", "b-stop", "c-ignored", "d-off"};
    for (const QString &name : names)
        root.add_script(name, {});
    for (const QString name : {"a-start", "b-stop", "c-ignored"})
        root.add_link(QStringLiteral("3"), QStringLiteral("S01") + name);
    root.insserv().set_listing({"S:01:2:a-start", "K:01:2:b-stop", "S:01:3:c-ignored", "S:01:2:d-off"});

    TestTable table;
    QVERIFY(table.load());
    table.setCurrentCell(0, 4);
    QSignalSpy reports(&table, &ServiceTable::selection_changed);
    const int runlevel2 = TestTable::column_of("2");
    const int x = table.horizontalHeader()->sectionViewportPosition(runlevel2) + 5;

    QTest::mouseClick(table.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    QCOMPARE(table.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(table.visible_names(), QStringList{"a-start"});
    QVERIFY(table.selectedItems().isEmpty());
    QVERIFY(!reports.isEmpty());
    QCOMPARE(reports.last().first().toBool(), false);
    QCOMPARE(table.services(false).size(), 1);

    QTest::mouseClick(table.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    QCOMPARE(table.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(table.visible_names(), QStringList{"b-stop"});

    table.filter_items(0);
    QCOMPARE(table.visible_names().size(), 4);
}

void TestServiceTableLoad::select_all_selects_names()
{
    TestRoot root;
    root.add_script(QStringLiteral("cron"), {});
    root.add_script(QStringLiteral("ssh"), {});
    root.insserv().set_listing({"S:01:2:cron", "S:01:2:ssh"});
    TestTable table;
    QVERIFY(table.load());
    table.setCurrentCell(1, 5);
    table.selectAll();
    const QList<QTableWidgetItem *> selected = table.selectedItems();
    QCOMPARE(selected.size(), 2);
    for (const QTableWidgetItem *item : selected)
        QCOMPARE(item->column(), 0);

    ServiceTable empty;
    empty.selectAll();
    QVERIFY(empty.selectedItems().isEmpty());
}

void TestServiceTableLoad::failing_listing_leaves_an_empty_table_data()
{
    QTest::addColumn<QString>("behaviour");
    QTest::addColumn<bool>("missing_init_d");
    QTest::newRow("insserv missing") << "missing" << false;
    QTest::newRow("never prints") << "silent" << false;
    QTest::newRow("never finishes") << "hang" << false;
    QTest::newRow("no /etc/init.d") << "" << true;
}

void TestServiceTableLoad::failing_listing_leaves_an_empty_table()
{
    QFETCH(QString, behaviour);
    QFETCH(bool, missing_init_d);
    TestRoot root;
    root.add_script(QStringLiteral("cron"), {});
    root.insserv().set_listing(cron_listing);
    if (behaviour == QLatin1String("missing"))
        root.insserv().remove_program();
    else
        root.insserv().set_behaviour("listing", behaviour);
    if (missing_init_d)
        QVERIFY(QDir(root.path("etc/init.d")).removeRecursively());

    TestTable table;
    QVERIFY(!table.load());
    QCOMPARE(table.rowCount(), 0);
    QCOMPARE(table.columnCount(), 0);
    QVERIFY(table.services(true).isEmpty());
}

void TestServiceTableLoad::slow_listing_is_read_to_its_end()
{
    test_hooks::set_process_timeout(5000);
    TestRoot root;
    root.insserv().set_listing({"S:01:2:one", "S:02:2:two", "S:03:2:three"});
    root.insserv().set_behaviour("listing", "trickle");
    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(table.rowCount(), 3);
}

void TestServiceTableLoad::preliminary_errors_are_shown()
{
    TestRoot root;
    root.insserv().set_listing(cron_listing);
    root.insserv().set_stderr("preliminary", QStringLiteral("insserv: warning: script 'cron' missing LSB tags\n"));
    ModalWatcher watcher;
    watcher.expect_message(QMessageBox::Ok);
    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(watcher.titles, QStringList{"insserv"});
    QCOMPARE(watcher.texts, QStringList{"insserv: warning: script 'cron' missing LSB tags\n"});
    QCOMPARE(root.insserv().preliminary_calls(), QStringList{""});
    QCOMPARE(root.insserv().calls(), QStringList{"-s"});

    root.insserv().set_stderr("preliminary", QString());
    root.insserv().set_behaviour("preliminary", "hang");
    TestTable quiet;
    QVERIFY(quiet.load());
    QVERIFY(watcher.unexpected.isEmpty());
    QCOMPARE(quiet.rowCount(), 1);
}

QTEST_MAIN(TestServiceTableLoad)
#include "tst_service_table_load.moc"
