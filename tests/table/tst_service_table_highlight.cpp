#include "tests/support/test_table.h"
#include "tests/support/test_root.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

const QColor green(40, 250, 40, 255);
const QColor red(250, 0, 0, 255);
const QColor coral(250, 127, 80, 255);
const QColor black(0, 0, 0, 255);

QString sequence(int index)
{
    return QStringLiteral("%1").arg(index % 99 + 1, 2, 10, QLatin1Char('0'));
}

// Scripts as (name, header fields); the first `linked` of them get a link.
void install(TestRoot &root, const QList<QPair<QString, QStringList>> &scripts, int linked)
{
    QStringList listing;
    for (int index = 0; index < scripts.size(); ++index) {
        const QString &name = scripts.at(index).first;
        root.add_script(name, scripts.at(index).second);
        listing << "S:" + sequence(index) + ":2:" + name;
        if (index < linked)
            root.add_link("2", "S" + sequence(index) + name);
    }
    root.insserv().set_listing(listing);
}

void build_fixture(TestRoot &root)
{
    root.write_config("$remote_fs gamma +delta\n");
    install(root, {{"zmailer", {"Provides: mta"}}, {"gamma", {"Provides: gamma"}},
                   {"networking", {"Provides: network net"}}, {"beta", {"Provides: beta"}},
                   {"alpha", {"Provides: alpha", "Required-Start: $remote_fs +beta", "Should-Start: user"}},
                   {"user", {"Provides: user", "Required-Start: network offline $undefined"}},
                   {"other", {"Provides: other", "Required-Start: beta"}}, {"delta", {"Provides: delta"}},
                   {"offline", {"Provides: offline"}}, {"exim", {"Provides: mta"}},
                   {"noprov", {"Short-Description: no Provides value"}},
                   {"gap", {"Provides: gap", "Required-Start: beta  gamma"}}},
            7);
}

QStringList highlight(TestTable &table, const QStringList &names)
{
    table.clearSelection();
    for (const QString &name : names)
        table.selectionModel()->select(table.model()->index(table.row_of(name), 0), QItemSelectionModel::Select);
    table.highlight_services_dependencies(true);
    QStringList coloured;
    for (const QTableWidgetItem *cell : table.highlighted_items)
        coloured << cell->data(ServiceTable::ServiceNameRole).toString();
    return coloured;
}

QColor colour(TestTable &table, const QString &name)
{
    const QBrush brush = table.cell(name, 0)->data(Qt::ForegroundRole).value<QBrush>();
    return brush.style() == Qt::SolidPattern ? brush.color() : QColor();
}

// The lookup by its definition: the first service of the load order called so or providing the name.
QTableWidgetItem *reference_item(TestTable &table, const QString &name)
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
    void init();
    void cleanup();
    void required_start_dependencies_are_coloured();
    void names_resolve_to_the_first_service_of_the_load_order();
    void switching_off_leaves_black_and_selections_accumulate();
    void highlighting_stays_fast_on_a_large_table();

private:
    std::unique_ptr<TestRoot> root;
    std::unique_ptr<TestTable> table;
};

void TestServiceTableHighlight::init()
{
    root = std::make_unique<TestRoot>();
    build_fixture(*root);
    table = std::make_unique<TestTable>();
    QVERIFY(table->load());
}

void TestServiceTableHighlight::cleanup()
{
    table.reset();
    root.reset();
}

void TestServiceTableHighlight::required_start_dependencies_are_coloured()
{
    QCOMPARE(highlight(*table, {"alpha"}), QStringList({"gamma", "delta", "beta"}));
    QCOMPARE(colour(*table, "gamma"), coral);
    QCOMPARE(colour(*table, "delta"), green);
    QCOMPARE(colour(*table, "beta"), green);
    QCOMPARE(colour(*table, "user"), QColor());

    // A provided name finds its provider; a service without links, or switched off, is red.
    QCOMPARE(highlight(*table, {"user"}), QStringList({"networking", "offline"}));
    QCOMPARE(colour(*table, "networking"), coral);
    QCOMPARE(colour(*table, "offline"), red);
    table->setCurrentItem(table->cell("networking", 1));
    table->switch_services_state(false);
    highlight(*table, {"user"});
    QCOMPARE(colour(*table, "networking"), red);
}

void TestServiceTableHighlight::names_resolve_to_the_first_service_of_the_load_order()
{
    // exim sorts first among the rows, but zmailer is linked and so comes first when loaded.
    QVERIFY(table->row_of("exim") < table->row_of("zmailer"));
    QCOMPARE(table->find_service_item("mta"), table->cell("zmailer", 0));
    QCOMPARE(table->find_service_item("net"), table->cell("networking", 0));
    QCOMPARE(table->find_service_item("$undefined"), nullptr);
    // noprov provides one empty name; an empty dependency between two blanks must not find it.
    QCOMPARE(table->find_service_item(""), nullptr);
    QCOMPARE(highlight(*table, {"gap"}), QStringList({"beta", "gamma"}));

    table->highlight_services_dependencies(false);
    table->setCurrentItem(nullptr);
    QMetaObject::invokeMethod(table.get(), "highlight_service_dependencies", Q_ARG(QTableWidgetItem *, nullptr));
    QVERIFY(table->highlighted_items.isEmpty());
    table->setCurrentItem(table->cell("other", 3));
    QMetaObject::invokeMethod(table.get(), "highlight_service_dependencies", Q_ARG(QTableWidgetItem *, nullptr));
    QCOMPARE(table->highlighted_items, QList<QTableWidgetItem *>{table->cell("beta", 0)});
}

void TestServiceTableHighlight::switching_off_leaves_black_and_selections_accumulate()
{
    highlight(*table, {"alpha"});
    table->highlight_services_dependencies(false);
    QVERIFY(table->highlighted_items.isEmpty());
    for (const char *name : {"gamma", "delta", "beta"})
        QCOMPARE(colour(*table, name), black);

    const QStringList coloured = highlight(*table, {"alpha", "other"});
    QCOMPARE(coloured.count("beta"), 2);
    const bool other_last = table->selectedItems().last() == table->cell("other", 0);
    QCOMPARE(colour(*table, "beta"), other_last ? coral : green);
}

// Every selection change highlights: with thousands of services it must not sort
// them again for each dependency, which made wide dependencies take seconds.
void TestServiceTableHighlight::highlighting_stays_fast_on_a_large_table()
{
    cleanup();
    root = std::make_unique<TestRoot>();
    const int count = 3000;
    const auto name = [](int index) { return QStringLiteral("s%1").arg(index % count, 4, 10, QLatin1Char('0')); };
    QStringList wide;
    for (int index = 1; index <= 400; ++index)
        wide << name(index * 7);
    root->write_config("$local_fs s0001 +s0002\n$remote_fs $local_fs s0003\n$wide " + wide.join(' ') + "\n");
    QList<QPair<QString, QStringList>> scripts;
    for (int index = 0; index < count; ++index) {
        const QString required = QStringLiteral("$remote_fs p%1 %2 +%3 $unknown")
                                     .arg(index * 7 % count).arg(name(index * 13), name(index + 1));
        scripts << qMakePair(name(index), QStringList{QStringLiteral("Provides: %1 p%2").arg(name(index)).arg(index),
                                                      "Required-Start: " + (index ? required : "$wide")});
    }
    install(*root, scripts, count / 3);
    table = std::make_unique<TestTable>();
    QVERIFY(table->load());

    qint64 slowest = 0;
    for (int step = 0; step < 100; ++step) {
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(highlight(*table, {name(step * 37)}).size(), step == 0 ? 400 : 6);
        slowest = std::max(slowest, timer.elapsed());
    }
    QVERIFY2(slowest < 100, qPrintable(QStringLiteral("slowest selection change: %1 ms").arg(slowest)));
    for (const QString wanted : {"s0001", "p17", "p2999", "s2999", "$remote_fs", "nothing"})
        QCOMPARE(table->find_service_item(wanted), reference_item(*table, wanted));
}

QTEST_MAIN(TestServiceTableHighlight)
#include "tst_service_table_highlight.moc"
