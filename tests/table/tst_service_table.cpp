#include "catalogue/test_hooks.h"
#include "tests/support/fixture.h"

class TestServiceTable : public QObject
{
    Q_OBJECT

private slots:
    void init() { test_hooks::set_process_timeout(300); }

    // A row for each service listed, linked or with an override and a script; lines that name no
    // service are left out and shown. Headers that only take reading: a megabyte line, thousands of
    // names. A link counts whatever the case of its name, but only when it leads to a file.
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
        root.write_file("etc/init.d/long", "### BEGIN INIT INFO\n#" + QByteArray(1 << 20, ' ') + "\n### END INIT INFO\n");
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
                          "S:100:2:big", "S:x:2:nan", "S:01:2:/", "S:01:2:..", "S:01:2:", "S:01:2:" + QString(300, 'n')});
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Ok);
        TestTable table;
        QVERIFY(table.load());
        QCOMPARE(watcher.texts.value(0).split('\n').mid(1),
                 QStringList({"short:line", "S:100:2:big", "S:x:2:nan", "S:01:2:/", "S:01:2:..", "S:01:2:",
                              "S:01:2:" + QString(93, 'n') + QChar(0x2026)}));
        QStringList order;
        for (const Service &service : table.services(true))
            order.append(service.name);
        QCOMPARE(order, QStringList({"cron", "long", "many", "networking", "nolinks", "killonly", "stopped", "linkedonly",
                                     "quiet"}));
        QVERIFY(table.cell("many", 0)->text().startsWith("many: many, alias, alias"));
        QCOMPARE(table.summary("networking").section('|', 0, 0).section(" off", 0, 0), "networking: network, net");
        QCOMPARE(table.loaded_header("networking").field("Provides"), QStringLiteral("network net"));
        // Stop links where its header starts it: disabled the Debian way. A script that only stops is not.
        QCOMPARE(table.summary("stopped").section('|', 0, 1), "stopped off 100 100 100 100 100 100 100 100 off|--KK----");
        QCOMPARE(table.summary("killonly"), "killonly on 100 100 100 100 100 100 100 100 05|-------K|"
                                            "095 095 095 095 095 095 095 095");
        QCOMPARE(table.summary("cron"), "cron 20 100 100 20 20 20 20 100 100 01|-KSSSSKK|099 099 099 099 099 099 099 099");
        QCOMPARE(table.summary("nolinks"), "nolinks off off off off off off off off off off|--S----K|");
        QCOMPARE(table.summary("quiet"), "quiet off off off off off off off off off off|--------|");
        QCOMPARE(table.summary("linkedonly"), "linkedonly on 100 100 100 100 100 100 100 100 on|--------|"
                                              "100 100 100 100 100 100 100 100");
        QCOMPARE(table.cell("cron", 0)->toolTip(), "Override: " + root.path("etc/insserv/overrides/cron"));
        QVERIFY(!table.cell("cron", 0)->icon().isNull() && table.cell("stopped", 0)->toolTip().isEmpty());
        QCOMPARE(table.horizontalHeaderItem(2)->text() + table.horizontalHeaderItem(9)->text(), "Runlevel SRunlevel 0");
        const QMetaObject &meta = ServiceTable::staticMetaObject;
        QCOMPARE(meta.method(meta.methodOffset() + 9).methodSignature(), "selectionChanged(QItemSelection,QItemSelection)");
        QCOMPARE(meta.method(meta.methodCount() - 1).methodSignature(), "filter_items(int)");

        QCOMPARE(table.currentItem(), table.item(0, 0));
        table.setCurrentCell(1, 5);
        table.selectAll();
        QCOMPARE(table.selectedItems().size(), 9);
        for (const QTableWidgetItem *item : table.selectedItems())
            QCOMPARE(item->column(), 0);
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

    // What the preliminary run of insserv complains about is shown; a hanging one is not waited for.
    void preliminary_errors_are_shown()
    {
        TestRoot root;
        root.set_listing({"S:20:2:cron"});
        root.set_stderr("preliminary", "insserv: warning: script 'cron' missing LSB tags\n");
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Ok);
        TestTable table;
        QVERIFY(table.load());
        QCOMPARE(watcher.titles + watcher.texts, QStringList({"insserv", "insserv: warning: script 'cron' missing LSB tags\n"}));
        QCOMPARE(root.calls(true) + root.calls(), QStringList({"", "-s"}));
        root.set_stderr("preliminary", QString());
        root.set_behaviour("preliminary", "hang");
        TestTable quiet;
        QVERIFY(quiet.load() && watcher.unexpected.isEmpty());
    }
};

QTEST_MAIN(TestServiceTable)
#include "tst_service_table.moc"
