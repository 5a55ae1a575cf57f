#include "catalogue/service.h"
#include "catalogue/system_paths.h"
#include "tests/support/test_root.h"

#include <QSet>
#include <QTest>

class TestService : public QObject
{
    Q_OBJECT

private slots:
    void construction_strips_one_plus();
    void identity_is_the_name_alone();
    void ordering_puts_linked_records_first();
    void provided_names_fall_back_to_the_name();
    void listing_lines_parse_into_records();
    void short_listing_lines_are_recognisable();
    void provides_come_from_a_valid_header_only();
    void runlevel_directories_list_links_in_runlevel_order();
};

void TestService::construction_strips_one_plus()
{
    const Service plain;
    QCOMPARE(plain.sequence, quint16(0));
    QCOMPARE(plain.type, Service::Unset);

    QCOMPARE(Service(QStringLiteral("+mountnfs")).name, QStringLiteral("mountnfs"));
    QVERIFY(Service(QStringLiteral("+mountnfs")).optional);
    QCOMPARE(Service(QStringLiteral("++x")).name, QStringLiteral("+x"));
    QVERIFY(Service(QStringLiteral("++x")).optional);
    QCOMPARE(Service(QString()).name, QString());
    QVERIFY(!Service(QString()).optional);
    QVERIFY(Service(QStringLiteral("$remote_fs")).is_virtual());
    QVERIFY(!Service(QStringLiteral("x$")).is_virtual());
}

void TestService::identity_is_the_name_alone()
{
    Service start(QStringLiteral("cron"));
    start.type = Service::Start;
    start.sequence = 20;
    Service kill(QStringLiteral("cron"));
    kill.type = Service::Kill;
    kill.linked = true;

    QVERIFY(start == kill);
    QCOMPARE(qHash(start, 7), qHash(kill, 7));
    QSet<Service> set{start};
    set.insert(kill);
    QCOMPARE(set.size(), 1);
    QCOMPARE(set.begin()->type, Service::Start);
    QVERIFY(Service(QStringLiteral("cron")) != Service(QStringLiteral("Cron")));
}

void TestService::ordering_puts_linked_records_first()
{
    Service alpha(QStringLiteral("alpha"));
    Service beta(QStringLiteral("beta"));
    beta.linked = true;
    beta.sequence = 20;
    Service gamma(QStringLiteral("gamma"));
    gamma.linked = true;
    gamma.sequence = 2;

    QList<Service> services{alpha, beta, gamma};
    std::sort(services.begin(), services.end());
    QCOMPARE(services.at(0).name, QStringLiteral("gamma"));
    QCOMPARE(services.at(1).name, QStringLiteral("beta"));
    QCOMPARE(services.at(2).name, QStringLiteral("alpha"));

    const Service a(QStringLiteral("alpha"));
    const Service b(QStringLiteral("beta"));
    QVERIFY(a < b);
    QVERIFY(!(b < a));
    QVERIFY(!(a < a));

    Service same_sequence = beta;
    same_sequence.name = QStringLiteral("aardvark");
    QVERIFY(same_sequence < beta);
}

void TestService::provided_names_fall_back_to_the_name()
{
    Service cron(QStringLiteral("cron"));
    QCOMPARE(cron.provided_names(), QStringList{QStringLiteral("cron")});
    cron.provides = QStringList{QStringLiteral("cron"), QStringLiteral("crond")};
    QCOMPARE(cron.provided_names(), cron.provides);
}

void TestService::listing_lines_parse_into_records()
{
    Service start;
    start.parse_insserv_line(QStringLiteral("S:20:2 3 4 5:cron\n"));
    QCOMPARE(start.type, Service::Start);
    QCOMPARE(start.sequence, quint16(20));
    QCOMPARE(start.runlevels, QStringList({"2", "3", "4", "5"}));
    QCOMPARE(start.name, QStringLiteral("cron"));

    Service kill;
    kill.parse_insserv_line(QStringLiteral("K:01:0 1 6:cron\n"));
    QCOMPARE(kill.type, Service::Kill);
    QCOMPARE(kill.sequence, quint16(1));
    QCOMPARE(kill.runlevels, QStringList({"0", "1", "6"}));

    Service odd;
    odd.parse_insserv_line(QStringLiteral("s:xx::odd\n"));
    QCOMPARE(odd.type, Service::Kill);
    QCOMPARE(odd.sequence, quint16(0));
    QCOMPARE(odd.runlevels, QStringList{QString()});
    QCOMPARE(odd.name, QStringLiteral("odd"));
}

void TestService::short_listing_lines_are_recognisable()
{
    for (const QString &line : {QString(), QStringLiteral("\n"), QStringLiteral("S:20:2 3\n"),
                                QStringLiteral("garbage")}) {
        Service record;
        record.parse_insserv_line(line);
        QCOMPARE(record.type, Service::Unset);
        QVERIFY(record.name.isEmpty());
        QVERIFY(record.runlevels.isEmpty());
    }
}

void TestService::provides_come_from_a_valid_header_only()
{
    TestRoot root;
    root.add_script(QStringLiteral("cron"), {QStringLiteral("Provides: cron crond")});
    root.add_script(QStringLiteral("bare"), {QStringLiteral("Short-Description: none")});
    root.write_file(QStringLiteral("etc/init.d/broken"), "### BEGIN INIT INFO\n# Provides: other\n");

    Service cron(QStringLiteral("cron"));
    cron.load_provides();
    QCOMPARE(cron.provides, QStringList({"cron", "crond"}));

    Service bare(QStringLiteral("bare"));
    bare.load_provides();
    QCOMPARE(bare.provided_names(), QStringList{QString()});

    Service broken(QStringLiteral("broken"));
    broken.load_provides();
    QCOMPARE(broken.provided_names(), QStringList{QStringLiteral("broken")});

    Service missing(QStringLiteral("missing"));
    missing.load_provides();
    QVERIFY(missing.provides.isEmpty());
}

void TestService::runlevel_directories_list_links_in_runlevel_order()
{
    TestRoot root;
    QCOMPARE(all_runlevels(), QStringList({"S", "1", "2", "3", "4", "5", "6", "0"}));

    root.add_script(QStringLiteral("cron"), {});
    root.add_link(QStringLiteral("2"), QStringLiteral("S20cron"));
    root.add_link(QStringLiteral("2"), QStringLiteral("K01cron"));
    root.add_link(QStringLiteral("2"), QStringLiteral("S30gone"));
    root.write_file(QStringLiteral("etc/rc2.d/README"), "not a link\n");
    QDir().mkpath(root.path(QStringLiteral("etc/rc2.d/S99directory")));

    const QList<QDir> directories = runlevel_directories();
    QCOMPARE(directories.size(), 8);
    QCOMPARE(directories.first().path(), root.path(QStringLiteral("etc/rcS.d")));
    QCOMPARE(directories.last().path(), root.path(QStringLiteral("etc/rc0.d")));
    QVERIFY(directories.first().entryList().isEmpty());

    QStringList links = directories.at(2).entryList();
    links.sort();
    QCOMPARE(links, QStringList({"K01cron", "S20cron"}));
    for (const QString &link : links)
        QCOMPARE(QString(link).remove(0, 3), QStringLiteral("cron"));
}

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
