#include "catalogue/header_sources.h"
#include "catalogue/insserv_config.h"
#include "tests/support/fixture.h"
#include "tests/support/graph_fixture.h"

#include <sys/stat.h>

namespace {

QString names(const QList<Service> &services)
{
    QStringList result;
    for (const Service &service : services)
        result.append((service.optional ? "+" : "") + service.name);
    return result.join(',');
}

QString pairs(const HeaderLines &lines)
{
    QStringList result;
    for (const auto &line : lines)
        result.append((line.first.isNull() ? "~" : line.first) + '=' + line.second);
    return result.join(';');
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    // The expected header as one line: validity | lines | informational fields | dependencies.
    void headers_parse_data()
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
        QTest::newRow("binary") << QByteArray(70000, '\x9c') << "invalid|||";
        QTest::newRow("a long comment without colon")
            << "### BEGIN INIT INFO\n#" + QByteArray(300000, ' ') + "x\n### END INIT INFO\n" << "valid|~=x||";
    }

    void headers_parse()
    {
        QFETCH(QByteArray, content);
        TestRoot root;
        root.write_file("etc/init.d/svc", content);
        const ServiceInfo info("svc");
        QStringList dependencies;
        for (const auto &entry : info.dependencies)
            dependencies.append(entry.first + '[' + names({entry.second.begin(), entry.second.end()}) + ']');
        QTEST(QStringList({info.valid ? "valid" : "invalid", pairs(info.lines), pairs(info.fields),
                           dependencies.join(';')}).join('|'), "expected");
    }

    // The override hides the script; only a plain file in one of the two directories is read (a FIFO
    // would block the reader), nor is any name that would lead out of them. One reading of both
    // directories, as a table's load makes, tells the same.
    void header_sources()
    {
        TestRoot root;
        root.add_script("cron", {"Provides: cron crond"});
        root.add_override("cron", {"Provides: other"});
        QCOMPARE(ServiceInfo("cron").field("Provides"), QStringLiteral("other"));
        QCOMPARE(ServiceInfo("cron", HeaderSources()).field("Provides"), QStringLiteral("other"));
        root.add_script("bare", {"Short-Description: none"});

        QFile::remove(root.path("etc/insserv/overrides/cron"));
        QDir().mkpath(root.path("etc/insserv/overrides/cron"));
        QDir().mkpath(root.path("etc/init.d/directory"));
        QVERIFY(QFile::link("nowhere", root.path("etc/init.d/dangling")));
        QCOMPARE(mkfifo(QFile::encodeName(root.path("etc/init.d/fifo")).constData(), 0600), 0);
        const HeaderSources sources;
        for (const char *name : {"directory", "dangling", "fifo", "missing", "", "..", "../init.d/bare", "cron"})
            QVERIFY2(!ServiceInfo(name).valid && !ServiceInfo(name, sources).valid, name);
        QCOMPARE(ServiceInfo("bare", sources).field("Short-Description"), QStringLiteral("none"));
    }

    // Definitions come from insserv.conf and the visible files of insserv.conf.d, read once per root.
    // Expanding ends where a definition leads back to itself, and facilities that name each other
    // twice over expand once each (naively, the last of forty comes out 2^40 times).
    void facilities()
    {
        TestRoot root;
        QVERIFY(ServiceInfo::virtual_facilities().isEmpty());
        root.write_file("etc/insserv.conf.d/extra", "$time +ntp\n\n");
        root.write_file("etc/insserv.conf.d/.hidden", "$hidden x\n");
        root.write_file("etc/insserv.conf",
                        "# comment\n$local_fs +mountall umountfs\n$alone\n$remote_fs $local_fs  nfs\n"
                        "$time +hwclock\n<interactive> kbd\nletters x\n   indented words\n\tlast\tone\n"
                        "$loop a $cycle\n$cycle $loop c\n");
        const FacilityMap map = ServiceInfo::virtual_facilities();
        QCOMPARE(names(map.value(Service("$local_fs"))), QStringLiteral("+mountall,umountfs"));
        QCOMPARE(names(map.value(Service(""))), QStringLiteral("last\tone"));
        QCOMPARE(names(map.values(Service("$time")).first()), QStringLiteral("+hwclock"));
        QCOMPARE(ServiceInfo::virtual_facility_names(),
                 QStringList({"", "", "$alone", "$cycle", "$local_fs", "$loop", "$remote_fs", "$time", "$time"}));
        root.write_file("etc/insserv.conf", "$other x\n");
        QCOMPARE(ServiceInfo::virtual_facilities().size(), map.size());

        const auto expanded = [](const char *name) {
            QList<Service> output;
            expand_facility(output, Service(name));
            return names(output);
        };
        QCOMPARE(expanded("cron") + ' ' + expanded("$portmap"), QStringLiteral("cron $portmap"));
        QCOMPARE(expanded("$remote_fs"), QStringLiteral("+mountall,umountfs,nfs"));
        QCOMPARE(expanded("$loop"), QStringLiteral("a,c"));
        TestRoot doubling_root;
        QString doubling;
        for (int level = 0; level < 40; ++level)
            doubling += QStringLiteral("$d%1 $d%2 $d%2\n").arg(level).arg(level + 1);
        doubling_root.write_file("etc/insserv.conf", doubling.toUtf8());
        QCOMPARE(expanded("$d0"), QStringLiteral("$d40,$d40"));
    }

    // Who requires a service at boot: by its name, an alias of its Provides or a facility (nested
    // ones too; an optional member counts, the header requires the facility). Should-Start and a
    // "+" in the header are lighter ("~"), each service once with its strongest requirement;
    // X-Start-Before and the stop fields order, but require nothing.
    void required_by_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("dependants");
        QTest::newRow("through a facility") << "rpcbind" << "nfs $portmap";
        QTest::newRow("through an alias, lighter ones") << "webhall" << "mailer ~httpd, proxy httpd, stats ~httpd";
        QTest::newRow("through nested facilities, the strongest kept")
            << "mountall" << "cron $remote_fs, nfs $remote_fs, nfsmount $local_fs";
        QTest::newRow("asked for by its own dependants only") << "early" << "";
    }

    void required_by()
    {
        const DependencyGraph graph
            = graph_of("$portmap=+rpcbind | $local_fs=+mountall | $remote_fs=$local_fs +nfsmount | rpcbind; "
                       "Provides=rpcbind portmap"
                       " | mountall | nfsmount; Required-Start=$local_fs | nfs; Required-Start=$portmap $remote_fs"
                       " | webhall; Provides=webhall httpd | proxy; Required-Start=httpd | stats; Should-Start=httpd"
                       " | mailer; Required-Start=+httpd | cron; Should-Start=mountall; Required-Start=$remote_fs"
                       " | early; X-Start-Before=webhall; Required-Start=$all | shut; Required-Stop=webhall");
        QFETCH(QString, service);
        QStringList found;
        for (const Requirement &requirement : ::required_by(graph, service))
            found << requirement.waiting + ' ' + (requirement.strong() ? "" : "~") + requirement.name;
        QTEST(found.join(", "), "dependants");
        QCOMPARE(graph.providers("$remote_fs"), QStringList({"mountall", "nfsmount"}));
        QCOMPARE(graph.waits_for("webhall", Phase::Start).value(0).required, QStringLiteral("early"));
        QCOMPARE(graph.waits_for("webhall", Phase::Stop).value(0).required, QStringLiteral("shut"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
