#include "tests/support/inspectable_table.h"
#include "tests/support/test_root.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

const QColor green(40, 250, 40, 255);
const QColor red(250, 0, 0, 255);
const QColor coral(250, 127, 80, 255);
const QColor black(0, 0, 0, 255);

// Linked services: zmailer, gamma, networking, beta, alpha, user, other.
void build_fixture(TestRoot &root)
{
    root.write_config(QStringLiteral("$remote_fs gamma +delta\n"));
    const QList<QPair<QString, QStringList>> scripts{
        {"zmailer", {"Provides: mta"}},
        {"gamma", {"Provides: gamma"}},
        {"networking", {"Provides: network net"}},
        {"beta", {"Provides: beta"}},
        {"alpha", {"Provides: alpha", "Required-Start: $remote_fs +beta", "Should-Start: user"}},
        {"user", {"Provides: user", "Required-Start: network offline $undefined"}},
        {"other", {"Provides: other", "Required-Start: beta"}},
        {"delta", {"Provides: delta"}},
        {"offline", {"Provides: offline"}},
        {"exim", {"Provides: mta"}},
        {"noprov", {"Short-Description: no Provides at all"}},
        {"gap", {"Provides: gap", "Required-Start: beta  gamma"}},
    };
    QStringList listing;
    for (int index = 0; index < scripts.size(); ++index) {
        const QString &name = scripts.at(index).first;
        root.add_script(name, scripts.at(index).second);
        listing.append(QStringLiteral("S:%1:2:%2").arg(index + 1, 2, 10, QLatin1Char('0')).arg(name));
        if (index < 7)
            root.add_link(QStringLiteral("2"), QStringLiteral("S%1%2").arg(index + 1, 2, 10, QLatin1Char('0')).arg(name));
    }
    root.insserv().set_listing(listing);
}

QStringList highlighted(const InspectableTable &table)
{
    QStringList names;
    for (const QTableWidgetItem *cell : table.highlighted_items)
        names.append(cell->data(ServiceTable::ServiceNameRole).toString());
    return names;
}

QColor colour(const QTableWidgetItem *cell)
{
    const QBrush brush = cell->data(Qt::ForegroundRole).value<QBrush>();
    return brush.style() == Qt::SolidPattern ? brush.color() : QColor();
}

void highlight_selection(InspectableTable &table, const QStringList &names)
{
    table.clearSelection();
    for (const QString &name : names)
        table.selectionModel()->select(table.model()->index(table.row_of(name), 0), QItemSelectionModel::Select);
    table.highlight_services_dependencies(true);
}

// What a lookup must find: the first service of the load order called so or providing the name.
QTableWidgetItem *reference_item(InspectableTable &table, const QString &name)
{
    for (const Service &service : table.services(true)) {
        if (service.name == name || service.provided_names().contains(name))
            return table.cell(service.name, 0);
    }
    return nullptr;
}

} // namespace

class TestServiceTableHighlight : public QObject
{
    Q_OBJECT

private slots:
    void required_start_dependencies_are_coloured();
    void names_resolve_to_the_first_service_of_the_load_order();
    void switching_off_leaves_explicit_black();
    void several_services_accumulate();
    void highlighting_stays_fast_on_a_large_table();
};

void TestServiceTableHighlight::required_start_dependencies_are_coloured()
{
    TestRoot root;
    build_fixture(root);
    InspectableTable table;
    QVERIFY(table.load());

    highlight_selection(table, {"alpha"});
    QCOMPARE(highlighted(table), QStringList({"gamma", "delta", "beta"}));
    QCOMPARE(colour(table.cell("gamma", 0)), coral);
    QCOMPARE(colour(table.cell("delta", 0)), green);
    QCOMPARE(colour(table.cell("beta", 0)), green);
    QVERIFY(!table.cell("user", 0)->data(Qt::ForegroundRole).isValid());

    // A required dependency whose service has no links, and one switched off since loading.
    highlight_selection(table, {"user"});
    QCOMPARE(highlighted(table), QStringList({"networking", "offline"}));
    QCOMPARE(colour(table.cell("networking", 0)), coral);
    QCOMPARE(colour(table.cell("offline", 0)), red);
    table.setCurrentItem(table.cell("networking", 1));
    table.switch_services_state(false);
    highlight_selection(table, {"user"});
    QCOMPARE(colour(table.cell("networking", 0)), red);
}

void TestServiceTableHighlight::names_resolve_to_the_first_service_of_the_load_order()
{
    TestRoot root;
    build_fixture(root);
    InspectableTable table;
    QVERIFY(table.load());

    QCOMPARE(table.find_service_item("network"), table.cell("networking", 0));
    QCOMPARE(table.find_service_item("networking"), table.cell("networking", 0));
    // exim sorts first among the rows, but zmailer is linked and comes first when loaded.
    QVERIFY(table.row_of("exim") < table.row_of("zmailer"));
    QCOMPARE(table.find_service_item("mta"), table.cell("zmailer", 0));
    QCOMPARE(table.find_service_item("noprov"), table.cell("noprov", 0));
    QCOMPARE(table.find_service_item("$undefined"), nullptr);
    // noprov's header has no "Provides" value: an empty dependency name must not find it.
    QCOMPARE(table.find_service_item(""), nullptr);
    highlight_selection(table, {"gap"});
    QCOMPARE(highlighted(table), QStringList({"beta", "gamma"}));

    // No item and no current item colours nothing.
    table.setCurrentItem(nullptr);
    table.highlight_services_dependencies(false);
    QMetaObject::invokeMethod(&table, "highlight_service_dependencies", Q_ARG(QTableWidgetItem *, nullptr));
    QVERIFY(table.highlighted_items.isEmpty());
    table.setCurrentItem(table.cell("other", 3));
    QMetaObject::invokeMethod(&table, "highlight_service_dependencies", Q_ARG(QTableWidgetItem *, nullptr));
    QCOMPARE(highlighted(table), QStringList{"beta"});
}

void TestServiceTableHighlight::switching_off_leaves_explicit_black()
{
    TestRoot root;
    build_fixture(root);
    InspectableTable table;
    QVERIFY(table.load());
    highlight_selection(table, {"alpha"});
    table.highlight_services_dependencies(false);
    QVERIFY(table.highlighted_items.isEmpty());
    for (const char *name : {"gamma", "delta", "beta"})
        QCOMPARE(colour(table.cell(name, 0)), black);
    QVERIFY(!table.cell("alpha", 0)->data(Qt::ForegroundRole).isValid());
}

void TestServiceTableHighlight::several_services_accumulate()
{
    TestRoot root;
    build_fixture(root);
    InspectableTable table;
    QVERIFY(table.load());
    highlight_selection(table, {"alpha", "other"});
    const QString last = table.selectedItems().last()->data(ServiceTable::ServiceNameRole).toString();
    QCOMPARE(highlighted(table).count("beta"), 2);
    QCOMPARE(colour(table.cell("beta", 0)), last == QLatin1String("other") ? coral : green);
}

// A selection change must not sort the services again for every dependency: on
// a machine with thousands of scripts that made wide dependencies take seconds.
void TestServiceTableHighlight::highlighting_stays_fast_on_a_large_table()
{
    TestRoot root;
    const int count = 3000;
    const auto name_of = [](int index) { return QStringLiteral("s%1").arg(index % count, 4, 10, QLatin1Char('0')); };
    QStringList wide;
    for (int index = 1; index <= 400; ++index)
        wide.append(name_of(index * 7));
    root.write_config(QStringLiteral("$local_fs s0001 +s0002\n$remote_fs $local_fs s0003\n$wide %1\n")
                          .arg(wide.join(QLatin1Char(' '))));
    QStringList listing;
    for (int index = 0; index < count; ++index) {
        const QString required = index == 0 ? QStringLiteral("Required-Start: $wide")
                                            : QStringLiteral("Required-Start: $remote_fs p%1 %2 +%3 $unknown")
                                                  .arg(index * 7 % count).arg(name_of(index * 13), name_of(index + 1));
        root.add_script(name_of(index), {QStringLiteral("Provides: %1 p%2").arg(name_of(index)).arg(index), required});
        const QString sequence = QStringLiteral("%1").arg(index % 99 + 1, 2, 10, QLatin1Char('0'));
        listing.append(QStringLiteral("S:%1:2:%2").arg(sequence, name_of(index)));
        if (index % 3 == 0)
            root.add_link(QStringLiteral("2"), QStringLiteral("S") + sequence + name_of(index));
    }
    root.insserv().set_listing(listing);
    InspectableTable table;
    QVERIFY(table.load());
    QCOMPARE(table.rowCount(), count);

    qint64 slowest = 0;
    for (int step = 0; step < 100; ++step) {
        table.setCurrentCell(table.row_of(name_of(step * 37)), 0);
        QElapsedTimer timer;
        timer.start();
        table.highlight_services_dependencies(true);
        slowest = std::max(slowest, timer.elapsed());
        QCOMPARE(table.highlighted_items.size(), step == 0 ? 400 : 6);
    }
    QVERIFY2(slowest < 100, qPrintable(QStringLiteral("slowest selection change: %1 ms").arg(slowest)));

    for (const QString name : {"s0001", "p17", "p2999", "s2999", "$remote_fs", "nothing"})
        QCOMPARE(table.find_service_item(name), reference_item(table, name));
}

QTEST_MAIN(TestServiceTableHighlight)
#include "tst_service_table_highlight.moc"
