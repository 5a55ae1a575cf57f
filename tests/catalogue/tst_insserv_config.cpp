#include "catalogue/insserv_config.h"
#include "tests/support/test_root.h"

#include <QTest>

namespace {

QStringList names(const QList<Service> &services)
{
    QStringList result;
    for (const Service &service : services)
        result.append(service.optional ? QLatin1Char('+') + service.name : service.name);
    return result;
}

} // namespace

class TestInsservConfig : public QObject
{
    Q_OBJECT

private slots:
    void lines_define_facilities();
    void files_of_the_directory_come_before_the_main_file();
    void cache_is_filled_once();
    void expansion_follows_facilities();
};

void TestInsservConfig::lines_define_facilities()
{
    TestRoot root;
    root.write_config(QStringLiteral("# comment\n$local_fs +mountall umountfs\n$alone\n"
                                     "$network\t+networking   ifupdown\n$twice first\n$twice second\n"
                                     "<interactive> keyboard\nletters are ignored\n\n"
                                     "   indented words\n\tlast\tindented\n"));
    const FacilityMap map = read_insserv_config(root.path(QStringLiteral("etc/insserv.conf")));

    QCOMPARE(names(map.value(Service(QStringLiteral("$local_fs")))), QStringList({"+mountall", "umountfs"}));
    QVERIFY(map.contains(Service(QStringLiteral("$alone"))));
    QVERIFY(map.value(Service(QStringLiteral("$alone"))).isEmpty());
    QCOMPARE(names(map.value(Service(QStringLiteral("$network")))), QStringList({"+networking", "ifupdown"}));
    QCOMPARE(map.values(Service(QStringLiteral("$twice"))).size(), 1);
    QCOMPARE(names(map.value(Service(QStringLiteral("$twice")))), QStringList{"second"});
    QVERIFY(!map.contains(Service(QStringLiteral("<interactive>"))));
    QVERIFY(!map.contains(Service(QStringLiteral("letters"))));
    // Blank and indented lines all land on the empty name; the last one wins and
    // a tab inside the words does not separate them.
    QCOMPARE(names(map.value(Service(QString()))), QStringList{"last\tindented"});
    QCOMPARE(map.size(), 5);

    QVERIFY(read_insserv_config(root.path(QStringLiteral("etc/missing.conf"))).isEmpty());
}

void TestInsservConfig::files_of_the_directory_come_before_the_main_file()
{
    TestRoot root;
    QCOMPARE(insserv_config_files(), QStringList{root.path(QStringLiteral("etc/insserv.conf"))});
    QVERIFY(ServiceInfo::virtual_facilities().isEmpty());
    QVERIFY(ServiceInfo::virtual_facility_names().isEmpty());

    root.write_config_file(QStringLiteral("extra"), QStringLiteral("$time +ntp\n\n"));
    root.write_config_file(QStringLiteral(".hidden"), QStringLiteral("$hidden x\n"));
    QDir().mkpath(root.path(QStringLiteral("etc/insserv.conf.d/subdir")));
    root.write_config(QStringLiteral("$time +hwclock\n$all_defined x\n"));

    const QStringList files = insserv_config_files();
    QCOMPARE(files, QStringList({root.path(QStringLiteral("etc/insserv.conf.d/extra")),
                                 root.path(QStringLiteral("etc/insserv.conf"))}));

    const FacilityMap map = ServiceInfo::virtual_facilities();
    QCOMPARE(map.values(Service(QStringLiteral("$time"))).size(), 2);
    QCOMPARE(names(map.find(Service(QStringLiteral("$time"))).value()), QStringList{"+hwclock"});
    QVERIFY(map.find(Service(QStringLiteral("$all"))) == map.end());
    QCOMPARE(ServiceInfo::virtual_facility_names(), QStringList({"", "$all_defined", "$time", "$time"}));
}

void TestInsservConfig::cache_is_filled_once()
{
    TestRoot root;
    root.write_config(QStringLiteral("$local_fs mountall\n"));
    QCOMPARE(ServiceInfo::virtual_facilities().size(), 1);
    root.write_config(QStringLiteral("$local_fs mountall\n$network networking\n"));
    QCOMPARE(ServiceInfo::virtual_facilities().size(), 1);
}

void TestInsservConfig::expansion_follows_facilities()
{
    TestRoot root;
    root.write_config(QStringLiteral("$local_fs mountall\n$remote_fs $local_fs nfs +mountnfs\n"
                                     "$loop a $cycle b\n$cycle $loop c\n$self $self d\n"
                                     "$twice $local_fs $local_fs\n"));
    QList<Service> output;
    expand_facility(output, Service(QStringLiteral("cron")));
    QCOMPARE(names(output), QStringList{"cron"});

    output.clear();
    expand_facility(output, Service(QStringLiteral("$remote_fs")));
    QCOMPARE(names(output), QStringList({"mountall", "nfs", "+mountnfs"}));

    output.clear();
    expand_facility(output, Service(QStringLiteral("$portmap")));
    QCOMPARE(names(output), QStringList{"$portmap"});

    // A definition leading back to itself stops where it meets itself again.
    output.clear();
    expand_facility(output, Service(QStringLiteral("$loop")));
    QCOMPARE(names(output), QStringList({"a", "c", "b"}));
    output.clear();
    expand_facility(output, Service(QStringLiteral("$self")));
    QCOMPARE(names(output), QStringList{"d"});

    output.clear();
    expand_facility(output, Service(QStringLiteral("$twice")));
    QCOMPARE(names(output), QStringList({"mountall", "mountall"}));
}

QTEST_GUILESS_MAIN(TestInsservConfig)
#include "tst_insserv_config.moc"
