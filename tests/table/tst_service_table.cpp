#include "catalogue/test_hooks.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"
#include "tests/support/test_table.h"

#include <QHeaderView>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>

class TestServiceTable : public QObject
{
    Q_OBJECT

private slots:
    void init() { test_hooks::set_process_timeout(300); }
    void rows_come_from_listing_links_and_overrides();
    void header_clicks_filter_rows();
    void failing_listing_leaves_an_empty_table_data();
    void failing_listing_leaves_an_empty_table();
    void slow_listing_is_read_to_its_end();
    void preliminary_errors_are_shown();
};

void TestServiceTable::rows_come_from_listing_links_and_overrides()
{
    TestRoot root;
    const QStringList scripts{"cron", "nolinks", "killonly", "quiet", "linkedonly", "backup~", "broken"};
    root.add_script("stopped", {"Provides: stopped", "Default-Start: 2 3"});
    for (const QString &name : scripts) {
        root.add_script(name, {"Provides: " + name});
        root.add_override(name, {"Provides: " + name});
    }
    root.add_script("networking", {"Provides: network net"});
    root.write_file("etc/insserv/overrides/broken", "### BEGIN INIT INFO\n");
    // Headers that only take reading: a megabyte line, thousands of names.
    root.write_file("etc/init.d/long", "### BEGIN INIT INFO\n#" + QByteArray(1 << 20, ' ') + "\n### END INIT INFO\n");
    root.add_script("many", {"Provides: many" + QString(" alias").repeated(3000)});
    for (const char *level : {"2", "3", "4", "5"})
        root.add_link(level, "S20cron");
    for (const char *level : {"0", "1", "6"})
        root.add_link(level, "K01cron");
    root.add_link("0", "K05killonly");
    root.add_link("3", "S01linkedonly");
    QVERIFY(QFile::link("../init.d/gone", root.path("etc/rc2.d/S20nolinks"))); // leads nowhere: not a link
    for (const char *level : {"2", "3"})
        root.add_link(level, "K09stopped");
    root.insserv().set_listing({"S:20:2 3 4 5:cron", "K:01:0 1 6:cron", "S:20:2:nolinks", "K:01:0:nolinks",
                                "K:05:0:killonly", "S:02:S:networking", "K:09:2 3:stopped", "S:03:2:long",
                                "S:04:2:many", "", "short:line", "S:100:2:big", "S:x:2:nan", "S:01:2:/", "S:01:2:..",
                                "S:01:2:", "S:01:2:" + QString(300, 'n')});
    ModalWatcher watcher;
    watcher.expect_message(QMessageBox::Ok);
    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(watcher.texts.value(0).split('\n').mid(1),
             QStringList({"short:line", "S:100:2:big", "S:x:2:nan", "S:01:2:/", "S:01:2:..", "S:01:2:",
                          "S:01:2:" + QString(93, 'n') + QChar(0x2026)}));
    QCOMPARE(table.visible_names(), QStringList({"cron", "killonly", "linkedonly", "long", "many", "networking",
                                                 "nolinks", "quiet", "stopped"}));
    QVERIFY(table.cell("many", 0)->text().startsWith("many: many, alias, alias"));
    // Stop links where its header starts it: disabled the Debian way. A script that only stops is not.
    QCOMPARE(table.summary("stopped").section('|', 0, 1),
             "stopped off 100 100 100 100 100 100 100 100 off|--KK----");
    QCOMPARE(table.cell("cron", 0)->toolTip(), "Override: " + root.path("etc/insserv/overrides/cron"));
    QVERIFY(table.cell("cron", 0)->icon().isNull() == false && table.cell("stopped", 0)->toolTip().isEmpty());
    QCOMPARE(table.summary("cron"), "cron 20 100 100 20 20 20 20 100 100 01|-KSSSSKK|099 099 099 099 099 099 099 099");
    QCOMPARE(table.summary("nolinks"), "nolinks off off off off off off off off off off|--S----K|");
    QCOMPARE(table.summary("killonly"), "killonly on 100 100 100 100 100 100 100 100 05|-------K|"
                                        "095 095 095 095 095 095 095 095");
    QCOMPARE(table.summary("quiet"), "quiet off off off off off off off off off off|--------|");
    QCOMPARE(table.summary("linkedonly"), "linkedonly on 100 100 100 100 100 100 100 100 on|--------|"
                                          "100 100 100 100 100 100 100 100");
    QCOMPARE(table.summary("networking").section('|', 0, 0).section(" off", 0, 0), "networking: network, net");
    QCOMPARE(table.loaded_header("networking").field("Provides"), QStringLiteral("network net"));
    QVERIFY(!table.loaded_header("absent").valid);
    QStringList order;
    for (const Service &service : table.services(true))
        order.append(service.name);
    QCOMPARE(order, QStringList({"cron", "long", "many", "networking", "nolinks", "killonly", "stopped", "linkedonly",
                                 "quiet"}));

    QCOMPARE(table.item(0, 1)->data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QCOMPARE(table.item(0, 0)->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    QCOMPARE(table.horizontalHeaderItem(2)->text() + table.horizontalHeaderItem(9)->text(), "Runlevel SRunlevel 0");
    QCOMPARE(table.verticalHeader()->defaultSectionSize(),
             int(table.fontMetrics().boundingRect("X").height() * 2.1));
    QCOMPARE(table.currentItem(), table.item(0, 0));
    const QMetaObject &meta = ServiceTable::staticMetaObject;
    QCOMPARE(meta.method(meta.methodOffset() + 9).methodSignature(), "selectionChanged(QItemSelection,QItemSelection)");
    QCOMPARE(meta.method(meta.methodCount() - 1).methodSignature(), "filter_items(int)");

    table.setCurrentCell(1, 5);
    table.selectAll();
    QCOMPARE(table.selectedItems().size(), 9);
    for (const QTableWidgetItem *item : table.selectedItems())
        QCOMPARE(item->column(), 0);
}

void TestServiceTable::header_clicks_filter_rows()
{
    TestRoot root;
    for (const char *name : {"a-start", "b-stop", "c-ignored", "d-off"})
        root.add_script(name, {});
    for (const char *name : {"S01a-start", "S01b-stop", "S01c-ignored"})
        root.add_link("3", name);
    root.insserv().set_listing({"S:01:2:a-start", "K:01:2:b-stop", "S:01:3:c-ignored", "S:01:2:d-off"});
    TestTable table;
    QVERIFY(table.load());
    table.setCurrentCell(0, 4);
    QSignalSpy reports(&table, &ServiceTable::selection_changed);
    const int x = table.horizontalHeader()->sectionViewportPosition(TestTable::column_of("2")) + 5;
    QTest::mouseClick(table.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    QCOMPARE(table.visible_names(), QStringList{"a-start"});
    QCOMPARE(table.services(false).size(), 1);
    QVERIFY(table.selectedItems().isEmpty() && !reports.last().first().toBool());
    QTest::mouseClick(table.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    QCOMPARE(table.visible_names(), QStringList{"b-stop"});
    table.filter_items(0);
    QCOMPARE(table.visible_names().size(), 4);
}

void TestServiceTable::failing_listing_leaves_an_empty_table_data()
{
    QTest::addColumn<QString>("behaviour");
    QTest::newRow("insserv missing") << "missing";
    QTest::newRow("never prints") << "silent";
    QTest::newRow("never finishes") << "hang";
    QTest::newRow("no /etc/init.d") << "no init.d";
}

void TestServiceTable::failing_listing_leaves_an_empty_table()
{
    QFETCH(QString, behaviour);
    TestRoot root;
    root.add_script("cron", {});
    root.insserv().set_listing({"S:20:2:cron"});
    if (behaviour == "missing")
        root.insserv().remove_program();
    else if (behaviour == "no init.d")
        QVERIFY(QDir(root.path("etc/init.d")).removeRecursively());
    else
        root.insserv().set_behaviour("listing", behaviour);
    TestTable table;
    QVERIFY(!table.load());
    QCOMPARE(table.rowCount() + table.columnCount() + table.services(true).size(), 0);
}

void TestServiceTable::slow_listing_is_read_to_its_end()
{
    test_hooks::set_process_timeout(5000);
    TestRoot root;
    root.insserv().set_listing({"S:01:2:one", "S:02:2:two", "S:03:2:three"});
    root.insserv().set_behaviour("listing", "trickle");
    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(table.rowCount(), 3);
}

void TestServiceTable::preliminary_errors_are_shown()
{
    TestRoot root;
    root.insserv().set_listing({"S:20:2:cron"});
    root.insserv().set_stderr("preliminary", "insserv: warning: script 'cron' missing LSB tags\n");
    ModalWatcher watcher;
    watcher.expect_message(QMessageBox::Ok);
    TestTable table;
    QVERIFY(table.load());
    QCOMPARE(watcher.titles + watcher.texts, QStringList({"insserv", "insserv: warning: script 'cron' missing LSB tags\n"}));
    QCOMPARE(root.insserv().preliminary_calls() + root.insserv().calls(), QStringList({"", "-s"}));

    root.insserv().set_stderr("preliminary", QString());
    root.insserv().set_behaviour("preliminary", "hang");
    TestTable quiet;
    QVERIFY(quiet.load());
    QVERIFY(watcher.unexpected.isEmpty());
}

QTEST_MAIN(TestServiceTable)
#include "tst_service_table.moc"
