#include "catalogue/header_sources.h"
#include "catalogue/insserv_config.h"
#include "catalogue/runlevel_links.h"
#include "catalogue/system_paths.h"
#include "tests/support/test_root.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>

#include <sys/stat.h>

namespace {

QString names(const QList<Service> &services)
{
    QStringList result;
    for (const Service &service : services)
        result.append((service.optional ? QStringLiteral("+") : QString()) + service.name);
    return result.join(QLatin1Char(','));
}

QString pairs(const HeaderLines &lines)
{
    QStringList result;
    for (const auto &line : lines)
        result.append((line.first.isNull() ? QStringLiteral("~") : line.first) + QLatin1Char('=') + line.second);
    return result.join(QLatin1Char(';'));
}

// A header as one line: validity | lines | informational fields | dependencies.
QString describe(const ServiceInfo &info)
{
    QStringList dependencies;
    for (const auto &entry : info.dependencies)
        dependencies.append(entry.first + QLatin1Char('[') + names({entry.second.begin(), entry.second.end()}) + ']');
    return QStringLiteral("%1|%2|%3|%4").arg(info.valid ? "valid" : "invalid", pairs(info.lines), pairs(info.fields),
                                            dependencies.join(QLatin1Char(';')));
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void records_compare_by_name_and_order_linked_first();
    void listing_lines_and_link_directories();
    void headers_parse_data();
    void headers_parse();
    void header_sources();
    void facilities();
};

void TestCatalogue::records_compare_by_name_and_order_linked_first()
{
    QCOMPARE(Service().sequence, quint16(0));
    QCOMPARE(names({Service("+mountnfs"), Service("++x"), Service("")}), QStringLiteral("+mountnfs,++x,"));
    Service beta("beta"), gamma("gamma"), alpha("alpha"), other_beta("beta");
    beta.linked = gamma.linked = true;
    beta.sequence = 20;
    gamma.sequence = 2;
    other_beta.type = Service::Kill;
    QVERIFY(beta == other_beta && qHash(beta, 7) == qHash(other_beta, 7));
    QCOMPARE(QSet<Service>({beta, other_beta}).size(), 1);
    QList<Service> sorted{alpha, beta, gamma};
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(names(sorted), QStringLiteral("gamma,beta,alpha"));
    QVERIFY(Service("alpha") < Service("beta") && !(Service("beta") < Service("alpha")) && !(alpha < alpha));
    QCOMPARE(alpha.provided_names(), QStringList{"alpha"});
    QVERIFY(Service("$remote_fs").is_virtual() && !Service("x$").is_virtual());
}

void TestCatalogue::listing_lines_and_link_directories()
{
    Service kill;
    QCOMPARE(kill.parse_insserv_line("K:01:0 1 6:cron\n").type, Service::Kill);
    QCOMPARE(kill.sequence, quint16(1));
    QCOMPARE(kill.runlevels, QStringList({"0", "1", "6"}));
    QCOMPARE(kill.name, QStringLiteral("cron"));
    QCOMPARE(Service().parse_insserv_line("S:xx::odd\n").runlevels, QStringList{""});
    // Too few fields: the record stays unset, which the loader skips.
    for (const char *line : {"", "S:20:2 3\n", "garbage"})
        QCOMPARE(Service().parse_insserv_line(line).type, Service::Unset);

    TestRoot root;
    QCOMPARE(all_runlevels(), QStringList({"S", "1", "2", "3", "4", "5", "6", "0"}));
    root.add_script("cron", {});
    for (const char *link : {"S20cron", "K01cron", "S30gone"})
        root.add_link("2", link);
    root.write_file("etc/rc2.d/README", "not a link\n");
    const QList<QDir> directories = runlevel_directories();
    QCOMPARE(directories.size(), 8);
    QCOMPARE(directories.first().path(), root.path("etc/rcS.d"));
    QStringList links = directories.at(2).entryList();
    links.sort();
    QCOMPARE(links, QStringList({"K01cron", "S20cron"}));
    // Every name the filter takes, ignoring case, whatever it points to.
    root.add_link("2", "s40cron");
    const RunlevelLinks entries(directories.at(2));
    QStringList names = entries.names();
    names.sort();
    QCOMPARE(names, QStringList({"K01cron", "S20cron", "S30gone", "s40cron"}));
    QVERIFY(entries.leads_to_file("s40cron") && !entries.leads_to_file("S30gone"));
}

void TestCatalogue::headers_parse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("worked example")
        << QByteArray("# Provides: before\n### BEGIN INIT INFO\n# Provides: cron\n"
                      "# Required-Start: $remote_fs +mountnfs\n# Default-Start: 2 3 4 5\n# Description: runs\n"
                      "#  scheduled jobs\n### END INIT INFO\n# Short-Description: after\n")
        << "valid|Provides=cron;Required-Start=$remote_fs +mountnfs;Default-Start=2 3 4 5;Description=runs;"
           "~=scheduled jobs|Provides=cron;Description=runs\nscheduled jobs|Required-Start[$remote_fs,+mountnfs]";
    QTest::newRow("no blank after the hashes") << QByteArray("###BEGIN INIT INFO\n# A: x\n### END INIT INFO\n")
                                               << "invalid|||";
    QTest::newRow("trailing blanks, carriage returns")
        << QByteArray("###  BEGIN INIT INFO \t\r\n# A: x\r\n###\tEND INIT INFO") << "valid|A=x|A=x|";
    QTest::newRow("no end line") << QByteArray("### BEGIN INIT INFO\n# A: x\n") << "invalid|A=x|A=x|";
    QTest::newRow("field and continuation lines")
        << QByteArray("### BEGIN INIT INFO\n#  early\n# Provides : x\n# B: first\n#\n#  see also: y\necho code\n\n"
                      "# Required-Start: z\n#  more\n### END INIT INFO\n")
        << "valid|~=early;Provides =x;B=first;~=;see also=y;Required-Start=z;~=more|"
           "Provides =x;B=first\n;see also=y\nmore|Required-Start[z]";
    QTest::newRow("only blanks before the colon, no blank after the hash")
        << QByteArray("### BEGIN INIT INFO\n#  : blank name\n#: none\n### END INIT INFO\n")
        << "valid| =blank name;~=: none| =blank name\n: none|";
    QTest::newRow("dependency values")
        << QByteArray("### BEGIN INIT INFO\n# Required-Start:\n# Should-Start: $network  +$time\n"
                      "# required-start: lower\n### END INIT INFO\n")
        << "valid|Required-Start=;Should-Start=$network  +$time;required-start=lower|required-start=lower|"
           "Required-Start[];Should-Start[$network,,+$time]";
    QTest::newRow("NUL byte and UTF-8")
        << QByteArray("### BEGIN INIT INFO\n# A: cut\0hidden\n# B: D\xc3\xa9marrage\n### END INIT INFO\n", 70)
        << QString::fromUtf8("valid|A=cut;B=D\xc3\xa9marrage|A=cut;B=D\xc3\xa9marrage|");
    QTest::newRow("empty file") << QByteArray() << "invalid|||";
    QTest::newRow("binary") << QByteArray(70000, '\x9c') << "invalid|||";
    QTest::newRow("a long comment without colon")
        << "### BEGIN INIT INFO\n#" + QByteArray(300000, ' ') + "x\n### END INIT INFO\n" << "valid|~=x||";
    QTest::newRow("megabytes of shell") << QByteArray("# no header here\n").repeated(400000) << "invalid|||";
}

void TestCatalogue::headers_parse()
{
    QFETCH(QByteArray, content);
    TestRoot root;
    root.write_file("etc/init.d/svc", content);
    QElapsedTimer timer;
    timer.start();
    QTEST(describe(ServiceInfo("svc")), "expected");
    QVERIFY(timer.elapsed() < 10000 * VORN_TIME_SCALE);
}

void TestCatalogue::header_sources()
{
    TestRoot root;
    root.add_script("cron", {"Provides: cron crond"});
    root.add_override("cron", {"Provides: other"});
    QCOMPARE(ServiceInfo("cron").field("Provides"), QStringLiteral("other"));
    QFile::remove(root.path("etc/insserv/overrides/cron"));
    Service cron("cron");
    cron.load_provides();
    QCOMPARE(cron.provided_names(), QStringList({"cron", "crond"}));
    root.add_script("bare", {"Short-Description: none"});
    Service bare("bare");
    bare.load_provides();
    QCOMPARE(bare.provided_names(), QStringList{""});

    // Unreadable sources: an override that is a directory hides the script.
    QDir().mkpath(root.path("etc/insserv/overrides/cron"));
    QVERIFY(!ServiceInfo("cron").valid);
    QDir().mkpath(root.path("etc/init.d/directory"));
    QVERIFY(QFile::link("nowhere", root.path("etc/init.d/dangling")));
    QCOMPARE(mkfifo(QFile::encodeName(root.path("etc/init.d/fifo")).constData(), 0600), 0);
    // Nor is any name that would lead out of the two directories. One reading of
    // both directories, as a table's load makes, tells the same.
    const HeaderSources sources;
    for (const char *name : {"directory", "dangling", "fifo", "missing", "", "..", "../init.d/bare", "cron"})
        QVERIFY(!ServiceInfo(name).valid && !ServiceInfo(name, sources).valid);
    QVERIFY(ServiceInfo(QString()).lines.isEmpty());
    QCOMPARE(ServiceInfo("bare", sources).field("Short-Description"), QStringLiteral("none"));
}

void TestCatalogue::facilities()
{
    TestRoot root;
    QVERIFY(ServiceInfo::virtual_facilities().isEmpty());
    root.write_config_file("extra", "$time +ntp\n\n");
    root.write_config_file(".hidden", "$hidden x\n");
    root.write_config("# comment\n$local_fs +mountall umountfs\n$alone\n$remote_fs $local_fs  nfs\n"
                      "$time +hwclock\n<interactive> kbd\nletters x\n   indented words\n\tlast\tone\n"
                      "$loop a $cycle\n$cycle $loop c\n");
    const FacilityMap map = ServiceInfo::virtual_facilities();
    QCOMPARE(names(map.value(Service("$local_fs"))), QStringLiteral("+mountall,umountfs"));
    QVERIFY(map.contains(Service("$alone")) && map.value(Service("$alone")).isEmpty());
    QCOMPARE(names(map.value(Service(""))), QStringLiteral("last\tone"));
    QCOMPARE(names(map.values(Service("$time")).first()), QStringLiteral("+hwclock"));
    QCOMPARE(ServiceInfo::virtual_facility_names(),
             QStringList({"", "", "$alone", "$cycle", "$local_fs", "$loop", "$remote_fs", "$time", "$time"}));
    root.write_config("$other x\n");
    QCOMPARE(ServiceInfo::virtual_facilities().size(), map.size());

    const auto expanded = [](const char *name) {
        QList<Service> output;
        expand_facility(output, Service(name));
        return names(output);
    };
    QCOMPARE(expanded("cron"), QStringLiteral("cron"));
    QCOMPARE(expanded("$remote_fs"), QStringLiteral("+mountall,umountfs,nfs"));
    QCOMPARE(expanded("$portmap"), QStringLiteral("$portmap"));
    QCOMPARE(expanded("$loop"), QStringLiteral("a,c"));

    // Each of these names the next twice: expanded naively, the last comes out 2^40 times.
    TestRoot doubling_root;
    QString doubling;
    for (int level = 0; level < 40; ++level)
        doubling += QStringLiteral("$d%1 $d%2 $d%2\n").arg(level).arg(level + 1);
    doubling_root.write_config(doubling);
    QCOMPARE(expanded("$d0"), QStringLiteral("$d40,$d40"));
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
