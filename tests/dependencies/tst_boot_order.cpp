#include "catalogue/test_hooks.h"
#include "dependencies/boot_order_view.h"
#include "dependencies/boot_order_window.h"
#include "tests/support/fixture.h"

namespace {

// The sample system in the root, every script registered with the real insserv.
bool install_sample(TestRoot &root)
{
    const QDir sample(QStringLiteral(SOURCE_DIR "/sample/etc"));
    QDirIterator files(sample.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        QFile source(file);
        if (!source.open(QIODevice::ReadOnly))
            return false;
        root.write_file("etc/" + sample.relativeFilePath(file), source.readAll(), QFileInfo(file).isExecutable());
    }
    return root.use_real_programs(root.read_file("etc/insserv.conf"), {})
        && QProcess::execute(root.path("sbin/insserv"), QDir(root.path("etc/init.d")).entryList(QDir::Files)) == 0;
}

// The columns of a runlevel as its directory lists its links: the services of each sequence
// number, in name order. (insserv -s may number a shutdown otherwise than the links it made.)
QList<QStringList> listed_columns(const TestRoot &root, const QString &runlevel, bool stop)
{
    QMap<int, QStringList> columns;
    for (const QString &link : QDir(root.path("etc/rc" + runlevel + ".d")).entryList({stop ? "K*" : "S*"}, QDir::Files))
        columns[link.mid(1, 2).toInt()].append(link.mid(3));
    for (QStringList &column : columns)
        column.sort();
    return columns.values();
}

// Where each service's column is, from the columns.
QHash<QString, int> column_of(const QList<QStringList> &columns)
{
    QHash<QString, int> found;
    for (int column = 0; column < columns.size(); ++column) {
        for (const QString &service : columns.at(column))
            found.insert(service, column);
    }
    return found;
}

} // namespace

class TestBootOrder : public QObject
{
    Q_OBJECT

private slots:
    // The sample's runlevel 2, drawn offscreen, has the columns its links list, every arrow the
    // headers give between its services (dashed where optional or Should-Start, facilities and
    // aliases resolved), each leading to a later column; so does the shutdown of runlevel 0.
    // Selecting a service marks what it waits for and what waits for it, and selects it in the
    // table; its tool tip names the longest chain before it. The picture saves as SVG and PNG.
    void draws_the_sample_as_insserv_orders_it()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        TestRoot root;
        QVERIFY(install_sample(root));
        TestTable table;
        QVERIFY(table.load());
        BootOrderWindow window(nullptr);
        window.show_table(&table);
        QCOMPARE(window.runlevel(), "2");
        BootOrderView *view = window.today_view();
        QCOMPARE(view->drawn_columns(), listed_columns(root, "2", false));
        QCOMPARE(view->drawn_arrows(),
                 QStringList({"logkeeper>cronwheel", "logkeeper>dbstore", "logkeeper>filesync", "logkeeper>mailrelay",
                              "logkeeper>namecache", "logkeeper>printq", "logkeeper>shellgate", "logkeeper>timekeeper",
                              "mailrelay~>cronwheel", "namecache~>cronwheel", "namecache~>filesync",
                              "namecache~>mailrelay", "namecache~>timekeeper"}));
        for (const QString runlevel : {"2", "0"}) {
            window.show_runlevel(runlevel);
            const QList<QStringList> columns = listed_columns(root, runlevel, runlevel == "0");
            QCOMPARE(view->drawn_columns(), columns);
            const QHash<QString, int> column = column_of(columns);
            for (const QString &arrow : view->drawn_arrows()) {
                const QStringList ends = arrow.split(QRegularExpression("~?>"));
                QVERIFY2(column.value(ends.at(0)) < column.value(ends.at(1)), qPrintable(arrow));
            }
        }
        QVERIFY(!view->drawn_arrows().isEmpty());
        window.show_runlevel("2");

        QSignalSpy selected(&window, &BootOrderWindow::service_selected);
        connect(&window, &BootOrderWindow::service_selected, &table, [&table](const QString &name) {
            table.select_service(name, 0);
        });
        view->select("mailrelay");
        QCOMPARE(selected.size(), 1);
        QCOMPARE(table.currentItem()->data(ServiceTable::ServiceNameRole).toString(), "mailrelay");
        QCOMPARE(view->drawn_marks(), "logkeeper namecache < mailrelay > cronwheel");
        const QString sequence = table.cell("cronwheel", 1)->text();
        QCOMPARE(view->explanation("cronwheel"), "cronwheel starts at " + sequence + ". The longest chain before it: "
                                                 "logkeeper → namecache → mailrelay → cronwheel.");
        QCOMPARE(view->explanation("logkeeper"), "logkeeper starts at " + table.cell("logkeeper", 1)->text()
                                                     + ". It waits for no other service that starts here.");

        const QTemporaryDir saved;
        QVERIFY(view->save_svg(saved.filePath("order.svg")) && view->save_png(saved.filePath("order.png")));
        QFile svg(saved.filePath("order.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray drawing = svg.readAll();
        QVERIFY(drawing.contains("<svg") && drawing.contains("cronwheel") && drawing.contains("Runlevel 2: boot"));
        const QImage image(saved.filePath("order.png"));
        QVERIFY(image.width() > 400 && image.height() > 100);
        QVERIFY(!view->save_png(saved.filePath("missing/order.png")));
    }

    // With pending changes, the order the rehearsal of their apply leaves shows beside today's; where
    // nothing can be rehearsed, the window says why. A new edit drops the rehearsal shown.
    void shows_the_order_after_the_apply()
    {
        if (!TestRoot::real_programs_missing().isEmpty())
            QSKIP(qPrintable(TestRoot::real_programs_missing()));
        TestRoot root;
        QVERIFY(install_sample(root));
        TestTable table;
        QVERIFY(table.load());
        BootOrderWindow window(nullptr);
        window.show_table(&table);
        window.show();
        table.level_cell("dbstore", "2")->setSelected(true);
        table.switch_services_runlevels("K");
        window.pending_changed();
        const BootConfiguration before = read_boot_configuration(root.path());

        test_hooks::deny_private_namespaces(true);
        window.show_after_apply(true);
        test_hooks::deny_private_namespaces(false);
        QVERIFY2(window.after_note().startsWith("The pending changes cannot be tried on a copy here"),
                 qPrintable(window.after_note()));
        window.show_after_apply(false);

        window.show_after_apply(true);
        QCOMPARE(window.after_note(), "After applying the pending change, as a rehearsal on a copy left the links.");
        const auto names = [](const BootOrderView *view) {
            QStringList all;
            for (const QStringList &column : view->drawn_columns())
                all += column;
            return all;
        };
        QVERIFY(names(window.today_view()).contains("dbstore"));
        QVERIFY(!names(window.after_view()).contains("dbstore"));
        QVERIFY(window.after_view()->isVisible());
        QCOMPARE(changed_services(before, read_boot_configuration(root.path())), QStringList());

        table.level_cell("dbstore", "3")->setSelected(true);
        table.switch_services_runlevels("K");
        window.pending_changed();
        QVERIFY(!window.after_view()->isVisible());
    }
};

QTEST_MAIN(TestBootOrder)
#include "tst_boot_order.moc"
