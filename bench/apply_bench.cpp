#include "bench/apply_bench.h"

#include "apply/plan_executor.h"
#include "bench/measure.h"
#include "bench/synthetic_system.h"
#include "catalogue/system_paths.h"
#include "catalogue/test_hooks.h"
#include "table/service_table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <memory>

namespace {

const int repetitions = 5;

void run_or_die(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qFatal("%s %s failed", qPrintable(program), qPrintable(arguments.join(' ')));
}

void write_program(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The start cells of runlevels 2 to 5 that start last, switched to stop:
// whatever requires one of them starts later still, and stops with it.
ApplyPlan changed_plan(ServiceTable &table, int changes)
{
    QList<QTableWidgetItem *> started;
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 4; column <= 7; ++column) {
            QTableWidgetItem *cell = table.item(row, column);
            if (cell->data(ServiceTable::MarkRole).toString() == ServiceTable::start_mark)
                started.append(cell);
        }
    }
    std::stable_sort(started.begin(), started.end(), [](const QTableWidgetItem *a, const QTableWidgetItem *b) {
        return a->text().toInt() > b->text().toInt();
    });
    if (started.size() < changes)
        qFatal("only %d cells start a service in runlevels 2 to 5", int(started.size()));
    table.clearSelection();
    for (QTableWidgetItem *cell : started.mid(0, changes))
        cell->setSelected(true);
    table.switch_services_runlevels(ServiceTable::kill_mark);
    return table.changes_plan();
}

} // namespace

ApplyBench::ApplyBench(const QString &source_dir)
    : source_dir(source_dir)
{
}

void ApplyBench::run()
{
    if (!QFileInfo(QStringLiteral("/sbin/insserv")).isExecutable()
        || QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("--mount"), QStringLiteral("true")}) != 0) {
        note(QStringLiteral("no real insserv or no private mount namespace (root): no apply with the real programs"));
        return;
    }
    const QString sample = directory.filePath(QStringLiteral("sample"));
    register_sample(sample);
    const QString generated = directory.filePath(QStringLiteral("generated"));
    SyntheticSystem(generated, 100).write();
    install_programs(generated);
    run_or_die(generated + "/sbin/insserv", {});
    for (int changes : {1, 20}) {
        measure(QStringLiteral("sample"), sample, changes);
        measure(QStringLiteral("generated"), generated, changes);
    }
    test_hooks::set_system_root(QString());
}

// The real insserv confined to the root (-p, -o, -c, -i), and Debian's
// update-rc.d in a private mount namespace in which the root stands for /etc.
void ApplyBench::install_programs(const QString &root) const
{
    const QString insserv
        = QStringLiteral("#!/bin/sh\nexec /sbin/insserv -p '%1/etc/init.d' -o '%1/etc/insserv/overrides'"
                         " -c '%1/etc/insserv.conf' -i '%1/etc/init.d' \"$@\"\n")
              .arg(root);
    write_program(root + "/sbin/insserv", insserv);
    write_program(root + "/bin/insserv", insserv);
    write_program(root + "/usr/sbin/update-rc.d",
                  QStringLiteral("#!/bin/sh\n_SKIP_SYSTEMD_NATIVE=1 exec '%1/tools/sample-namespace' --root '%2' -- "
                                 "/usr/sbin/update-rc.d \"$@\"\n").arg(source_dir, root));
}

// The sample as tools/sample-namespace registers it: every script, then the
// services of sample/disabled-services taken off again.
void ApplyBench::register_sample(const QString &root) const
{
    QDir().mkpath(root);
    run_or_die(QStringLiteral("cp"), {QStringLiteral("-a"), source_dir + "/sample/etc", root + "/"});
    for (const QString &runlevel : all_runlevels())
        QDir().mkpath(root + QStringLiteral("/etc/rc%1.d").arg(runlevel));
    install_programs(root);
    run_or_die(root + "/sbin/insserv", QDir(root + "/etc/init.d").entryList(QDir::Files));
    QFile disabled(source_dir + "/sample/disabled-services");
    disabled.open(QIODevice::ReadOnly);
    for (const QString &line : QString::fromUtf8(disabled.readAll()).split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith('#'))
            continue;
        const QString name = line.section(' ', 0, 0);
        if (line.endsWith(QLatin1String(" disable")))
            run_or_die(root + "/usr/sbin/update-rc.d", {name, QStringLiteral("disable")});
        else
            run_or_die(root + "/sbin/insserv", {QStringLiteral("--remove"), name});
    }
}

void ApplyBench::prepare(const QString &pristine, const QString &work) const
{
    QDir(work).removeRecursively();
    QDir().mkpath(work);
    run_or_die(QStringLiteral("cp"), {QStringLiteral("-a"), pristine + "/etc", work + "/"});
    install_programs(work);
    test_hooks::set_system_root(work);
}

// The checked apply against the plain run, alternating; the plain run is what
// an apply cost before it was rehearsed and verified.
void ApplyBench::measure(const QString &system, const QString &pristine, int changes)
{
    const QString work = directory.filePath(QStringLiteral("work"));
    Timings checked, plain;
    // An apply that fails shows its error; the benchmark then stops below.
    BoxAnswerer boxes(100);
    for (int i = 0; i < repetitions; ++i) {
        prepare(pristine, work);
        auto table = std::make_unique<ServiceTable>();
        table->load();
        ApplyPlan plan = changed_plan(*table, changes);
        QElapsedTimer timer;
        double processor_start = cpu_ms();
        timer.start();
        if (table->run_plan(plan, {}, QString(), nullptr) != ServiceTable::PlanResult::Applied)
            qFatal("the checked apply of %d changes on the %s system failed", changes, qPrintable(system));
        checked.add(timer.nsecsElapsed() / 1e6, cpu_ms() - processor_start);

        prepare(pristine, work);
        table = std::make_unique<ServiceTable>();
        table->load();
        plan = changed_plan(*table, changes);
        processor_start = cpu_ms();
        timer.start();
        const PlanOutcome outcome =
            execute_plan(plan, read_boot_configuration(system_root()), plan.intended, run_process);
        plain.add(timer.nsecsElapsed() / 1e6, cpu_ms() - processor_start);
        if (!outcome.succeeded())
            qFatal("the plain apply failed: %s", qPrintable(outcome.error->message()));
    }
    const QByteArray name = QStringLiteral("apply_real_%1_%2").arg(system).arg(changes).toUtf8();
    report((name + "_checked").constData(), changes, checked);
    report((name + "_plain").constData(), changes, plain);
    report((name + "_ratio").constData(), changes, checked.wall() / plain.wall(), "x");
}
