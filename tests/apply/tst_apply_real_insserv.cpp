#include "catalogue/system_paths.h"
#include "tests/support/test_table.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/real_insserv.h"
#include "tests/support/test_root.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

namespace {

// A small Debian-like boot: facilities from the root's insserv.conf, services
// requiring each other directly, optional and start-before relations.
struct Script
{
    const char *name;
    const char *requires;
    const char *start;
    const char *stop;
    const char *extra;
};

const Script scripts[] = {
    {"mountall", "", "S", "", ""},
    {"hwclock", "", "S", "0 6", ""},
    {"networking", "$local_fs", "S", "0 6", ""},
    {"mountnfs", "$local_fs $network", "S", "", ""},
    {"rsyslog", "$remote_fs $time", "2 3 4 5", "0 1 6", ""},
    {"cron", "$remote_fs $syslog $time", "2 3 4 5", "0 1 6", "Description: runs\n#  scheduled jobs"},
    {"ssh", "$remote_fs $syslog $network", "2 3 4 5", "0 1 6", "X-Start-Before: cron"},
    {"database", "$remote_fs $syslog", "2 3 4 5", "0 1 6", ""},
    {"webserver", "$remote_fs $network database", "2 3 4 5", "0 1 6", "Should-Start: ssh"},
    {"webapp", "webserver", "2 3 4 5", "0 1 6", ""},
    {"monitor", "$syslog", "3 4 5", "0 1 2 6", "Should-Start: webapp"},
    {"legacydb", "$remote_fs", "2 3 4 5", "0 1 6", ""},
    {"legacy", "legacydb", "2 3 4 5", "0 1 6", ""},
};

const char config[] = "$local_fs +mountall\n$remote_fs $local_fs +mountnfs\n$network +networking\n"
                      "$syslog +rsyslog\n$time +hwclock\n";

QStringList header_fields(const Script &script)
{
    QStringList fields{QStringLiteral("Provides:          %1").arg(script.name),
                       QStringLiteral("Required-Start:    %1").arg(script.requires),
                       QStringLiteral("Required-Stop:     %1").arg(script.requires),
                       QStringLiteral("Default-Start:     %1").arg(script.start),
                       QStringLiteral("Default-Stop:      %1").arg(script.stop)};
    if (*script.extra)
        fields.append(QString::fromLatin1(script.extra));
    return fields;
}

// Per service: "on" or "off", then its mark on each runlevel, "." for none.
QMap<QString, QString> configuration(const TestTable &table)
{
    QMap<QString, QString> result;
    for (const Service &service : table.services(true)) {
        QString marks = table.cell(service.name, 1)->text() == ServiceTable::disabled_mark ? "off " : "on ";
        for (const QString &level : all_runlevels()) {
            const QString mark = table.level_cell(service.name, level)->data(ServiceTable::MarkRole).toString();
            marks += mark.isEmpty() ? "." : mark;
        }
        result.insert(service.name, marks);
    }
    return result;
}

// The same read from the links insserv made: "." on a runlevel without a link.
QString links(const TestRoot &root, const QString &name)
{
    QString kinds;
    for (const QString &level : all_runlevels()) {
        const QStringList entries =
            QDir(root.path("etc/rc" + level + ".d")).entryList({"S??" + name, "K??" + name}, QDir::Files | QDir::System);
        kinds += entries.size() == 1 ? entries.first().left(1) : entries.isEmpty() ? "." : "?";
    }
    return kinds;
}

QStringList answered(const std::function<void()> &operation, int boxes = 1)
{
    ModalWatcher watcher;
    for (int box = 0; box < boxes; ++box)
        watcher.expect_message(QMessageBox::Ok);
    operation();
    QStringList seen;
    for (int box = 0; box < watcher.texts.size(); ++box)
        seen.append(watcher.titles.at(box) + ": " + watcher.texts.at(box));
    return seen + watcher.unexpected;
}

bool loaded(TestTable &table)
{
    bool result = false;
    // The preliminary insserv run must not complain about this root.
    return answered([&] { result = table.load(); }, 0).isEmpty() && result;
}

void select(TestTable &table, const QString &name, const QStringList &levels)
{
    table.clearSelection();
    for (const QString &level : levels)
        table.level_cell(name, level)->setSelected(true);
}

} // namespace

class TestApplyRealInsserv : public QObject
{
    Q_OBJECT

private slots:
    void applied_changes_reach_the_links_and_reset_restores_the_scripts();
};

void TestApplyRealInsserv::applied_changes_reach_the_links_and_reset_restores_the_scripts()
{
    if (!RealInsserv::available())
        QSKIP("/sbin/insserv is not installed (Debian package insserv)");
    TestRoot root;
    const RealInsserv insserv(root);
    root.write_config(QString::fromLatin1(config));
    QStringList names;
    for (const Script &script : scripts) {
        root.add_script(script.name, header_fields(script));
        QVERIFY(QFile::setPermissions(root.path(QStringLiteral("etc/init.d/") + script.name),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        names.append(script.name);
    }
    QString errors;
    QVERIFY2(insserv.run(names, &errors), qPrintable(errors));
    QVERIFY2(insserv.run({"--remove", "legacy"}, &errors) && insserv.run({"--remove", "legacydb"}, &errors),
             qPrintable(errors));

    TestTable before;
    QVERIFY(loaded(before));
    QMap<QString, QString> expected = configuration(before);
    QCOMPARE(expected.size(), 13);
    QCOMPARE(expected.value("cron"), QStringLiteral("on .KSSSSKK"));
    QCOMPARE(expected.value("monitor"), QStringLiteral("on .KKSSSKK"));
    QCOMPARE(expected.value("legacy"), QStringLiteral("off .KSSSSKK"));

    before.toggle_item(before.level_cell("cron", "2"));
    select(before, "cron", {"5"});
    before.switch_services_runlevels("");
    select(before, "monitor", {"2"});
    before.switch_services_runlevels("S");
    // Removing webserver before webapp, or registering legacy before legacydb,
    // would make insserv refuse: only the run order lets these succeed.
    for (const char *name : {"ssh", "webserver", "webapp", "legacy", "legacydb"}) {
        before.clearSelection();
        before.cell(name, 10)->setSelected(true);
        before.switch_services_state(QString(name).startsWith("legacy"));
    }
    QCOMPARE(answered([&before] { before.apply_changes(); }), QStringList{"Result: Changes are applied"});

    expected["cron"] = "on .KKSS.KK";
    expected["monitor"] = "on .KSSSSKK";
    for (const char *name : {"ssh", "webserver", "webapp"})
        expected[name].replace("on", "off");
    for (const char *name : {"legacy", "legacydb"})
        expected[name].replace("off", "on");
    QCOMPARE(QDir(root.path("etc/insserv/overrides")).entryList(QDir::Files), QStringList({"cron", "monitor"}));
    QCOMPARE(root.read_file("etc/insserv/overrides/cron"),
             TestRoot::header({"Provides: cron", "Required-Start: $remote_fs $syslog $time",
                               "Required-Stop: $remote_fs $syslog $time", "Default-Start: 3 4",
                               "Default-Stop: 0 1 2 6", "Description: runs", "scheduled jobs"}));
    QCOMPARE(root.read_file("etc/insserv/overrides/monitor"),
             TestRoot::header({"Provides: monitor", "Required-Start: $syslog", "Required-Stop: $syslog",
                               "Default-Start: 2 3 4 5", "Default-Stop: 0 1 6", "Should-Start: webapp"}));
    for (auto service = expected.cbegin(); service != expected.cend(); ++service) {
        const QString marks = service.value().section(' ', 1);
        QCOMPARE(links(root, service.key()), service.value().startsWith("on") ? marks : QString(8, '.'));
    }
    TestTable after;
    QVERIFY(loaded(after));
    QCOMPARE(configuration(after), expected);

    // Reset through a name cell and through a whole row.
    after.clearSelection();
    after.cell("cron", 0)->setSelected(true);
    after.selectionModel()->select(after.model()->index(after.row_of("monitor"), 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(answered([&after] { after.reset_services_defaults(); }), QStringList{"Result: Reset is completed"});
    QVERIFY(QDir(root.path("etc/insserv/overrides")).isEmpty());
    QCOMPARE(links(root, "cron"), QStringLiteral(".KSSSSKK"));
    QCOMPARE(links(root, "monitor"), QStringLiteral(".KKSSSKK"));
    expected["cron"] = "on .KSSSSKK";
    expected["monitor"] = "on .KKSSSKK";
    TestTable reset;
    QVERIFY(loaded(reset));
    QCOMPARE(configuration(reset), expected);

    // insserv's own refusal reaches the user, and the links stay as they were.
    reset.clearSelection();
    reset.cell("legacydb", 1)->setSelected(true);
    reset.switch_services_state(false);
    const QStringList refused = answered([&reset] { reset.apply_changes(); });
    QCOMPARE(refused.size(), 1);
    QVERIFY2(refused.first().startsWith(
                 "Error: An error has occured on processing \"legacydb\"  service: insserv: FATAL: service legacydb"),
             qPrintable(refused.first()));
    QCOMPARE(links(root, "legacydb"), QStringLiteral(".KSSSSKK"));
}

QTEST_MAIN(TestApplyRealInsserv)
#include "tst_apply_real_insserv.moc"
