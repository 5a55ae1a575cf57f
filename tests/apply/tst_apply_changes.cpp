#include "catalogue/test_hooks.h"
#include "tests/support/test_table.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"

#include <QAbstractButton>
#include <QDir>
#include <QTest>

#include <functional>

namespace {

const QString overrides = QStringLiteral("etc/insserv/overrides/");

// A temporary system whose fake insserv lists every service as started on 2 to 5
// and stopped on 0, 1 and 6 with one sequence number.
class System
{
public:
    void add(const QString &name, int sequence, bool linked)
    {
        root.add_script(name, {"Provides: " + name, "Default-Start: 2 3 4 5", "Default-Stop: 0 1 6"});
        const QString number = QStringLiteral("%1").arg(sequence, 2, 10, QLatin1Char('0'));
        listing << QStringLiteral("S:%1:2 3 4 5:%2").arg(number, name) << QStringLiteral("K:%1:0 1 6:%2").arg(number, name);
        if (linked)
            root.add_link("2", "S" + number + name);
    }
    // The worked example: cron and ssh linked, rsync without links.
    void add_example()
    {
        add("cron", 2, true);
        add("ssh", 3, true);
        add("rsync", 5, false);
    }
    bool load(TestTable &table)
    {
        root.insserv().set_listing(listing);
        const bool loaded = table.load();
        root.insserv().clear_calls();
        return loaded;
    }

    TestRoot root;
    QStringList listing;
};

void select(TestTable &table, const QStringList &names, int column)
{
    table.clearSelection();
    for (const QString &name : names)
        table.cell(name, column)->setSelected(true);
}

void switch_state(TestTable &table, const QStringList &names, bool enable)
{
    select(table, names, 1);
    table.switch_services_state(enable);
}

void switch_levels(TestTable &table, const QString &name, const QStringList &levels, const QString &mark)
{
    table.clearSelection();
    for (const QString &level : levels)
        table.level_cell(name, level)->setSelected(true);
    table.switch_services_runlevels(mark);
}

// Runs the operation, answering every message box with Ok, and describes each
// box: its icon, title, text, whether it belongs to the table and whether Ok is
// its only button.
QStringList boxes_of(const std::function<void()> &operation, const QWidget *table)
{
    ModalWatcher watcher;
    QStringList seen;
    // Two answers: a box following the expected one shows up in the description.
    for (int box = 0; box < 2; ++box) {
        watcher.expect([&seen, table](QWidget *widget) {
            auto *message = qobject_cast<QMessageBox *>(widget);
            const QString parent = widget->parentWidget() == table ? "table" : widget->parentWidget() ? "?" : "none";
            seen.append(QStringLiteral("%1 %2: %3 (%4%5)")
                            .arg(message->icon() == QMessageBox::Critical ? "critical" : "information",
                                 message->windowTitle(), message->text(), parent,
                                 message->standardButtons() == QMessageBox::Ok ? "" : ", not Ok alone"));
            message->button(QMessageBox::Ok)->click();
        });
    }
    operation();
    seen += watcher.unexpected;
    return seen;
}

QStringList applied(TestTable &table)
{
    return boxes_of([&table] { table.apply_changes(); }, &table);
}

const QStringList applied_box{"information Result: Changes are applied (table)"};

QByteArray level_override(const QString &name, const QString &start, const QString &stop)
{
    return TestRoot::header({"Provides: " + name, "Default-Start: " + start, "Default-Stop: " + stop});
}

} // namespace

class TestApplyChanges : public QObject
{
    Q_OBJECT

private slots:
    void init() { test_hooks::set_process_timeout(300); }
    void changes_run_in_four_groups();
    void services_run_by_sequence_within_a_group_data();
    void services_run_by_sequence_within_a_group();
    void service_disabled_and_edited_ends_unregistered();
    void level_changes_rewrite_one_override_data();
    void level_changes_rewrite_one_override();
    void hidden_rows_are_not_run();
    void nothing_pending_still_reports_success();
    void first_error_ends_the_apply_data();
    void first_error_ends_the_apply();
    void reset_registers_from_the_script_data();
    void reset_registers_from_the_script();
    void undeletable_override_ends_the_reset();
};

void TestApplyChanges::changes_run_in_four_groups()
{
    System system;
    system.add_example();
    TestTable table;
    QVERIFY(system.load(table));
    table.toggle_item(table.level_cell("cron", "2"));
    switch_state(table, {"ssh"}, false);
    switch_state(table, {"rsync"}, true);

    QCOMPARE(applied(table), applied_box);
    QCOMPARE(system.root.insserv().calls(), QStringList({"--remove --force cron", "cron", "--remove ssh", "rsync"}));
    QCOMPARE(system.root.read_file(overrides + "cron"), level_override("cron", "3 4 5", "0 1 2 6"));
    QCOMPARE(table.changes.size(), 3);
}

void TestApplyChanges::services_run_by_sequence_within_a_group_data()
{
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("stops from 30 down, then starts from 2 up")
        << QStringList{"alpha", "delta"} << QStringList{"bravo", "charlie"}
        << QStringList{"--remove charlie", "--remove bravo", "delta", "alpha"};
    QTest::newRow("equal sequences in reverse name order")
        << QStringList() << QStringList{"echo", "foxtrot"} << QStringList{"--remove foxtrot", "--remove echo"};
    QTest::newRow("unlisted service last in its group")
        << QStringList{"abel", "delta"} << QStringList{"bravo"} << QStringList{"--remove bravo", "delta", "abel"};
}

void TestApplyChanges::services_run_by_sequence_within_a_group()
{
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    QFETCH(QStringList, calls);
    System system;
    system.add("alpha", 20, false);
    system.add("bravo", 3, true);
    system.add("charlie", 30, true);
    system.add("delta", 2, false);
    system.add("echo", 5, true);
    system.add("foxtrot", 5, true);
    system.root.add_script("abel", {"Default-Start: 2"});
    system.root.add_override("abel", {"Default-Start: 2"});
    TestTable table;
    QVERIFY(system.load(table));
    QVERIFY(table.unlisted_services.contains(Service("abel")));
    switch_state(table, enabled, true);
    switch_state(table, disabled, false);

    QCOMPARE(applied(table), applied_box);
    QCOMPARE(system.root.insserv().calls(), calls);
}

void TestApplyChanges::service_disabled_and_edited_ends_unregistered()
{
    System system;
    system.add_example();
    TestTable table;
    QVERIFY(system.load(table));
    switch_levels(table, "cron", {"2"}, "");
    switch_state(table, {"cron"}, false);

    QCOMPARE(applied(table), applied_box);
    QCOMPARE(system.root.insserv().calls(), QStringList({"--remove --force cron", "cron", "--remove cron"}));
    QCOMPARE(system.root.read_file(overrides + "cron"), level_override("cron", "3 4 5", "0 1 6"));
}

void TestApplyChanges::level_changes_rewrite_one_override_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("linked service registered again") << "cron" << QStringList{"--remove --force cron", "cron"};
    QTest::newRow("service without links stays off") << "rsync" << QStringList{"--remove --force rsync"};
}

void TestApplyChanges::level_changes_rewrite_one_override()
{
    QFETCH(QString, name);
    QFETCH(QStringList, calls);
    System system;
    system.add_example();
    TestTable table;
    QVERIFY(system.load(table));
    switch_levels(table, name, {"2", "3", "4"}, "K");
    QCOMPARE(table.changes.size(), 3);

    QCOMPARE(applied(table), applied_box);
    QCOMPARE(system.root.insserv().calls(), calls);
    QCOMPARE(system.root.read_file(overrides + name), level_override(name, "5", "0 1 2 3 4 6"));
}

void TestApplyChanges::hidden_rows_are_not_run()
{
    System system;
    system.add_example();
    TestTable table;
    QVERIFY(system.load(table));
    switch_state(table, {"cron", "ssh"}, false);
    switch_levels(table, "ssh", {"2"}, "K");
    table.setRowHidden(table.row_of("ssh"), true);

    QCOMPARE(applied(table), applied_box);
    QCOMPARE(system.root.insserv().calls(), QStringList{"--remove cron"});
    QVERIFY(!QFileInfo::exists(system.root.path(overrides + "ssh")));
}

void TestApplyChanges::nothing_pending_still_reports_success()
{
    System system;
    system.add_example();
    TestTable table;
    QVERIFY(system.load(table));
    QCOMPARE(applied(table), applied_box);
    QVERIFY(system.root.insserv().calls().isEmpty());
    QVERIFY(QDir(system.root.path(overrides)).isEmpty());
}

void TestApplyChanges::first_error_ends_the_apply_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("message");
    QTest::newRow("override cannot be written")
        << "override is a directory" << QStringList() << "Error while creating override file";
    QTest::newRow("overrides directory missing") << "no overrides directory" << QStringList()
                                                 << "Overrides directory \"%1/etc/insserv/overrides\" does not exist.";
    QTest::newRow("forced removal fails")
        << "cron" << QStringList{"--remove --force cron"} << "An error has occured on processing \"cron\"  service!";
    QTest::newRow("second of three service changes fails")
        << "ssh" << QStringList{"--remove --force cron", "cron", "--remove ntp", "--remove ssh"}
        << "An error has occured on processing \"ssh\"  service: busy\n";
}

void TestApplyChanges::first_error_ends_the_apply()
{
    QFETCH(QString, failure);
    QFETCH(QStringList, calls);
    QFETCH(QString, message);
    System system;
    system.add_example();
    system.add("ntp", 4, true);
    TestTable table;
    QVERIFY(system.load(table));
    switch_levels(table, "cron", {"2"}, "K");
    switch_state(table, {"ssh", "ntp"}, false);
    switch_state(table, {"rsync"}, true);
    if (failure == "override is a directory")
        QVERIFY(QDir().mkpath(system.root.path(overrides + "cron")));
    else if (failure == "no overrides directory")
        QVERIFY(QDir(system.root.path(overrides)).removeRecursively());
    else
        system.root.insserv().set_behaviour(failure, "exit 1");
    system.root.insserv().set_stderr("ssh", "busy\n");

    QCOMPARE(applied(table),
             QStringList{QStringLiteral("critical Error: %1 (none)").arg(message.arg(system.root.path()))});
    QCOMPARE(system.root.insserv().calls(), calls);
}

void TestApplyChanges::reset_registers_from_the_script_data()
{
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("overrides_left");
    QTest::newRow("service with override")
        << QStringList{"cron"} << "" << QStringList{"--remove --force cron", "cron"} << QStringList{"rsync"};
    QTest::newRow("service without override")
        << QStringList{"ssh"} << "" << QStringList{"--remove --force ssh", "ssh"} << QStringList{"cron", "rsync"};
    QTest::newRow("disabled service ends registered")
        << QStringList{"rsync"} << "" << QStringList{"--remove --force rsync", "rsync"} << QStringList{"cron"};
    QTest::newRow("whole row handled once")
        << QStringList{"cron"} << "whole rows" << QStringList{"--remove --force cron", "cron"} << QStringList{"rsync"};
    QTest::newRow("removals down, registrations up")
        << QStringList{"cron", "rsync"} << ""
        << QStringList{"--remove --force rsync", "--remove --force cron", "cron", "rsync"} << QStringList();
    QTest::newRow("nothing selected") << QStringList() << "" << QStringList() << QStringList{"cron", "rsync"};
    QTest::newRow("hidden row left alone") << QStringList{"cron", "rsync"} << "rsync hidden"
                                           << QStringList{"--remove --force cron", "cron"} << QStringList{"rsync"};
    QTest::newRow("no overrides directory")
        << QStringList{"cron"} << "no overrides directory" << QStringList{"--remove --force cron", "cron"}
        << QStringList();
}

void TestApplyChanges::reset_registers_from_the_script()
{
    QFETCH(QStringList, selected);
    QFETCH(QString, situation);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, overrides_left);
    System system;
    system.add_example();
    system.root.add_override("cron", {"Default-Start: 3"});
    system.root.add_override("rsync", {"Default-Start: 3"});
    TestTable table;
    QVERIFY(system.load(table));
    select(table, selected, 0);
    if (situation == "whole rows") {
        for (const QString &name : selected)
            table.selectRow(table.row_of(name));
        QCOMPARE(table.selectedItems().size(), 11 * selected.size());
    } else if (situation == "rsync hidden") {
        table.setRowHidden(table.row_of("rsync"), true);
    } else if (situation == "no overrides directory") {
        QVERIFY(QDir(system.root.path(overrides)).removeRecursively());
    }

    QCOMPARE(boxes_of([&table] { table.reset_services_defaults(); }, &table),
             QStringList{"information Result: Reset is completed (none)"});
    QCOMPARE(system.root.insserv().calls(), calls);
    QCOMPARE(QDir(system.root.path(overrides)).entryList(QDir::Files), overrides_left);
}

void TestApplyChanges::undeletable_override_ends_the_reset()
{
    System system;
    system.add_example();
    system.root.add_override("cron", {"Default-Start: 3"});
    system.root.add_override("ssh", {"Default-Start: 3"});
    TestTable table;
    QVERIFY(system.load(table));
    select(table, {"cron", "ssh"}, 0);
    const QString first = table.selectedItems().first()->data(ServiceTable::ServiceNameRole).toString();
    const QString second = first == "cron" ? "ssh" : "cron";
    // Root deletes any file; a non-empty directory of that name resists.
    QVERIFY(QFile::remove(system.root.path(overrides + first)));
    QVERIFY(QDir().mkpath(system.root.path(overrides + first + "/keep")));

    QCOMPARE(boxes_of([&table] { table.reset_services_defaults(); }, &table),
             QStringList{"critical Error: Error while resetting service settings (none)"});
    QVERIFY(system.root.insserv().calls().isEmpty());
    QVERIFY(QFileInfo(system.root.path(overrides + second)).isFile());
}

QTEST_MAIN(TestApplyChanges)
#include "tst_apply_changes.moc"
