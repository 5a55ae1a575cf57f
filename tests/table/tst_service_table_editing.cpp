#include "catalogue/test_hooks.h"
#include "tests/support/test_table.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"

#include <QApplication>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QTest>

namespace {

using Key = QPair<Service, QString>;

Key key(const char *name, const char *level)
{
    return Key(Service(QLatin1String(name)), QLatin1String(level));
}

// cron runs in 2-5 and stops in 0 1 6; mount starts in S; idle has no links.
void make_system(TestRoot &root)
{
    for (const char *name : {"cron", "mount", "idle"})
        root.add_script(QLatin1String(name), {QStringLiteral("Provides: %1").arg(QLatin1String(name))});
    for (const char *level : {"2", "3", "4", "5"})
        root.add_link(QLatin1String(level), QStringLiteral("S20cron"));
    for (const char *level : {"0", "1", "6"})
        root.add_link(QLatin1String(level), QStringLiteral("K01cron"));
    root.add_link(QStringLiteral("S"), QStringLiteral("S03mount"));
    root.insserv().set_listing({"S:20:2 3 4 5:cron", "K:01:0 1 6:cron", "S:03:S:mount", "S:07:2:idle"});
}

void double_click(ServiceTable &table, QTableWidgetItem *item)
{
    // The view only takes a double click on the cell that the first click pressed.
    const QPoint centre = table.visualItemRect(item).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, centre);
}

void select(ServiceTable &table, const QList<QTableWidgetItem *> &items)
{
    table.clearSelection();
    for (QTableWidgetItem *item : items)
        item->setSelected(true);
}

} // namespace

class TabletStyle : public QProxyStyle
{
public:
    TabletStyle() { setObjectName(QStringLiteral("vornplastiquetablet")); }
};

class TestServiceTableEditing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void runlevel_toggles_cycle_back_to_loaded();
    void runlevel_s_never_gets_kill();
    void state_toggles_restore_texts();
    void bulk_operations_act_once_per_row();
    void selection_is_summarised();
    void context_menu_offers_what_the_selection_lacks();
    void single_click_toggles_with_the_tablet_style();

private:
    std::unique_ptr<TestRoot> root;
    std::unique_ptr<TestTable> table;
};

void TestServiceTableEditing::init()
{
    root = std::make_unique<TestRoot>();
    make_system(*root);
    table = std::make_unique<TestTable>();
    QVERIFY(table->load());
    table->resize(1000, 400);
    table->show();
    QVERIFY(QTest::qWaitForWindowExposed(table.get()));
}

void TestServiceTableEditing::runlevel_toggles_cycle_back_to_loaded()
{
    QSignalSpy changed(table.get(), &ServiceTable::table_changed);
    QTableWidgetItem *cell = table->level_cell("cron", "2");
    const QStringList expected{"K", "", "S"};
    for (const QString &mark : expected) {
        double_click(*table, cell);
        QCOMPARE(cell->data(ServiceTable::MarkRole).toString(), mark);
    }
    QCOMPARE(cell->text(), QStringLiteral("20"));
    QCOMPARE(changed.size(), 3);
    QCOMPARE(changed.at(0).first().toBool(), true);
    QCOMPARE(changed.at(2).first().toBool(), false);
    QVERIFY(table->changes.isEmpty());
    QCOMPARE(table->loaded_values.value(key("cron", "2")), QStringLiteral("S"));
    QCOMPARE(cell->data(ServiceTable::ChangedRole).toBool(), false);

    double_click(*table, table->level_cell("idle", "3"));
    QCOMPARE(table->changes, ChangeMap({{key("idle", "3"), "S"}}));
    QVERIFY(table->level_cell("idle", "3")->data(ServiceTable::ChangedRole).toBool());
    QCOMPARE(changed.last().first().toBool(), true);
}

void TestServiceTableEditing::runlevel_s_never_gets_kill()
{
    QTableWidgetItem *cell = table->level_cell("mount", "S");
    QCOMPARE(cell->data(ServiceTable::MarkRole).toString(), QStringLiteral("S"));
    table->toggle_item(cell);
    QCOMPARE(cell->data(ServiceTable::MarkRole).toString(), QString());
    table->toggle_item(cell);
    QCOMPARE(cell->data(ServiceTable::MarkRole).toString(), QStringLiteral("S"));

    QTableWidgetItem *stopped = table->level_cell("cron", "S");
    select(*table, {stopped});
    table->switch_services_runlevels(QStringLiteral("K"));
    table->toggle_item(stopped);
    QCOMPARE(stopped->data(ServiceTable::MarkRole).toString(), QString());
}

void TestServiceTableEditing::state_toggles_restore_texts()
{
    QSignalSpy changed(table.get(), &ServiceTable::table_changed);
    QTableWidgetItem *start = table->cell("cron", 1);
    QTableWidgetItem *kill = table->cell("cron", 10);
    double_click(*table, kill);
    QCOMPARE(start->text(), QStringLiteral("off"));
    QCOMPARE(kill->text(), QStringLiteral("off"));
    QCOMPARE(table->changes, ChangeMap({{key("cron", ""), "K"}}));
    QVERIFY(start->data(ServiceTable::ChangedRole).toBool());
    QCOMPARE(table->level_cell("cron", "2")->data(ServiceTable::MarkRole).toString(), QStringLiteral("S"));

    double_click(*table, start);
    QCOMPARE(start->text(), QStringLiteral("20"));
    QCOMPARE(kill->text(), QStringLiteral("01"));
    QVERIFY(table->changes.isEmpty());
    QVERIFY(!kill->data(ServiceTable::ChangedRole).toBool());
    QCOMPARE(changed.last().first().toBool(), false);

    table->toggle_item(table->cell("idle", 10));
    QCOMPARE(table->cell("idle", 1)->text(), QStringLiteral("07"));
    QCOMPARE(table->cell("idle", 10)->text(), QStringLiteral("on"));
    QCOMPARE(table->changes, ChangeMap({{key("idle", ""), "S"}}));
    QCOMPARE(table->loaded_values.value(key("idle", "")), QStringLiteral("K"));
}

void TestServiceTableEditing::bulk_operations_act_once_per_row()
{
    QSignalSpy changed(table.get(), &ServiceTable::table_changed);
    select(*table, {table->cell("cron", 1), table->cell("cron", 10), table->level_cell("cron", "3")});
    table->switch_services_state(false);
    QCOMPARE(table->changes, ChangeMap({{key("cron", ""), "K"}}));
    QCOMPARE(changed.size(), 1);

    // A runlevel mark reaches runlevel cells only.
    select(*table, {table->cell("mount", 0), table->cell("mount", 1), table->level_cell("mount", "2"),
                    table->level_cell("idle", "2"), table->level_cell("idle", "3")});
    table->switch_services_runlevels(QStringLiteral("S"));
    QCOMPARE(table->changes.size(), 3);
    QCOMPARE(table->changes.value(key("mount", "2")), QStringLiteral("S"));
    QCOMPARE(table->changes.value(key("idle", "3")), QStringLiteral("S"));
    QVERIFY(!table->cell("mount", 0)->data(ServiceTable::MarkRole).isValid());
    QVERIFY(!table->cell("mount", 1)->data(ServiceTable::MarkRole).isValid());
    QCOMPARE(table->cell("mount", 1)->text(), QStringLiteral("03"));
}

void TestServiceTableEditing::selection_is_summarised()
{
    QSignalSpy reports(table.get(), &ServiceTable::selection_changed);
    const auto last = [&reports] {
        QList<bool> flags;
        if (reports.isEmpty())
            return flags;
        for (const QVariant &value : reports.last())
            flags.append(value.toBool());
        return flags;
    };
    table->setCurrentItem(table->cell("idle", 0));
    QCOMPARE(last(), QList<bool>({true, false, false, false, false}));
    table->setCurrentItem(table->level_cell("mount", "S"));
    QCOMPARE(last(), QList<bool>({true, false, false, true, true}));
    select(*table, {table->cell("cron", 1), table->level_cell("cron", "2")});
    QCOMPARE(last(), QList<bool>({true, true, true, true, false}));
    table->clearSelection();
    QCOMPARE(last(), QList<bool>({false, false, false, false, false}));
}

void TestServiceTableEditing::context_menu_offers_what_the_selection_lacks()
{
    ModalWatcher watcher;
    const QPoint anywhere(5, 5);

    table->setCurrentItem(table->level_cell("mount", "S"));
    watcher.expect_menu(QString());
    QMetaObject::invokeMethod(table.get(), "context_menu", Q_ARG(QPoint, anywhere));

    select(*table, {table->cell("idle", 1), table->cell("cron", 10)});
    watcher.expect_menu(QStringLiteral("enable service"));
    QMetaObject::invokeMethod(table.get(), "context_menu", Q_ARG(QPoint, anywhere));
    QCOMPARE(table->cell("idle", 1)->text(), QStringLiteral("07"));

    table->setCurrentItem(table->level_cell("idle", "3"));
    watcher.expect_menu(QStringLiteral("stop"));
    QMetaObject::invokeMethod(table.get(), "context_menu", Q_ARG(QPoint, anywhere));
    QCOMPARE(table->level_cell("idle", "3")->data(ServiceTable::MarkRole).toString(), QStringLiteral("K"));
    // The bulk operation updated the flags: the next menu knows the cell is stopped.
    watcher.expect_menu(QString());
    QMetaObject::invokeMethod(table.get(), "context_menu", Q_ARG(QPoint, anywhere));

    table->setCurrentItem(table->cell("cron", 0));
    watcher.expect_menu(QString());
    QMetaObject::invokeMethod(table.get(), "context_menu", Q_ARG(QPoint, anywhere));

    QTRY_COMPARE(watcher.menus.size(), 5);
    QCOMPARE(watcher.menus.at(0), QStringList{"ignore"});
    QCOMPARE(watcher.menus.at(1), QStringList({"disable service", "enable service"}));
    QCOMPARE(watcher.menus.at(2), QStringList({"start", "stop"}));
    QCOMPARE(watcher.menus.at(3), QStringList({"ignore", "start"}));
    QCOMPARE(watcher.menus.at(4), QStringList{"edit service"});
    QVERIFY(watcher.unexpected.isEmpty());
}

void TestServiceTableEditing::single_click_toggles_with_the_tablet_style()
{
    QTableWidgetItem *cell = table->level_cell("cron", "4");
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(cell).center());
    QCOMPARE(cell->data(ServiceTable::MarkRole).toString(), QStringLiteral("S"));

    QApplication::setStyle(new TabletStyle);
    TestTable tablet;
    QVERIFY(tablet.load());
    tablet.resize(1000, 400);
    tablet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tablet));
    QTableWidgetItem *tablet_cell = tablet.level_cell("cron", "4");
    QTest::mouseClick(tablet.viewport(), Qt::LeftButton, {}, tablet.visualItemRect(tablet_cell).center());
    QCOMPARE(tablet_cell->data(ServiceTable::MarkRole).toString(), QStringLiteral("K"));
}

QTEST_MAIN(TestServiceTableEditing)
#include "tst_service_table_editing.moc"
