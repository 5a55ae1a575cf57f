// Measures the service table on generated systems of 100, 1,000 and 5,000
// services. Each size runs in a process of its own, so no cache and no peak of
// memory carries over from one size to the next. Run it with bench/run-bench.
#include "bench/apply_bench.h"
#include "bench/measure.h"
#include "bench/table_bench.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>

namespace {

QString first_match(const QString &path, const QString &pattern)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QRegularExpression(pattern, QRegularExpression::MultilineOption)
        .match(QString::fromUtf8(file.readAll()))
        .captured(1)
        .trimmed();
}

void describe_machine()
{
    note(QStringLiteral("date %1").arg(QDateTime::currentDateTime().toString(Qt::ISODate)));
    note(QStringLiteral("machine %1, %2 cores, %3 kB memory; %4, kernel %5; Qt %6; %7 build; locale %8")
             .arg(first_match("/proc/cpuinfo", "^model name\\s*:(.*)$"))
             .arg(QThread::idealThreadCount())
             .arg(first_match("/proc/meminfo", "^MemTotal:\\s*(\\d+)"))
             .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion(), qVersion(), BENCH_BUILD_TYPE,
                  QLocale().name()));
    note(QStringLiteral("load average at start %1").arg(first_match("/proc/loadavg", "^(\\S+ \\S+ \\S+)")));
}

int run_child(const QStringList &arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(-1);
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Measures the service table on generated systems and prints one line a figure: name, services, value, "
        "unit. With VORN_BENCH_KEEP=1 in the environment the generated systems are kept for a look."));
    parser.addHelpOption();
    const QCommandLineOption size_option("size", "Measure one size with the fake insserv.", "services");
    const QCommandLineOption real_option("real", "Compare with the real insserv at one size.", "services");
    const QCommandLineOption only_option("only", "Measure only these figures (comma-separated).", "figures");
    const QCommandLineOption apply_option("apply-real", "Measure applies with the real insserv and update-rc.d.");
    parser.addOptions({size_option, real_option, only_option, apply_option});
    parser.process(application);
    const QStringList only = parser.value(only_option).split(',', Qt::SkipEmptyParts);

    if (parser.isSet(size_option)) {
        TableBench(parser.value(size_option).toInt(), only).run_with_fake_insserv();
        return 0;
    }
    if (parser.isSet(apply_option)) {
        ApplyBench(QStringLiteral(SOURCE_DIR)).run();
        return 0;
    }
    if (parser.isSet(real_option)) {
        TableBench(parser.value(real_option).toInt(), only).run_with_real_insserv();
        return 0;
    }

    describe_machine();
    int failures = 0;
    for (const char *size : {"100", "1000", "5000"}) {
        QStringList arguments{"--size", size};
        if (!only.isEmpty())
            arguments << "--only" << only.join(',');
        failures += run_child(arguments) != 0;
    }
    if (only.isEmpty()) {
        failures += run_child({"--real", "1000"}) != 0;
        failures += run_child({"--apply-real"}) != 0;
    }
    return failures ? 1 : 0;
}
