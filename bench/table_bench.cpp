#include "bench/table_bench.h"

#include "app/admin_runlevel.h"
#include "app/find_service_dialog.h"
#include "bench/boot_order_bench.h"
#include "apply/plan_executor.h"
#include "bench/measure.h"
#include "bench/state_bench.h"
#include "catalogue/system_paths.h"
#include "catalogue/test_hooks.h"
#include "runtime/status_query.h"
#include "table/service_table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const int repetitions = 7;
const int selections = 250;
const int pending_changes = 100;

QStringList insserv_errors;

void click_header(QHeaderView *header, int column)
{
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

} // namespace

TableBench::TableBench(int size, const QStringList &only)
    : size(size)
    , only(only)
    , system(directory.path(), size)
{
    system.write();
    if (qEnvironmentVariableIsSet("VORN_BENCH_KEEP")) {
        directory.setAutoRemove(false);
        note(QStringLiteral("generated system kept in %1").arg(directory.path()));
    }
    test_hooks::set_system_root(directory.path());
    // The states are asked only with administrator rights.
    test_hooks::assume_administrator_rights(true);
    qputenv("PATH", QFile::encodeName(directory.path() + "/bin:") + qgetenv("PATH"));
}

bool TableBench::wanted(const char *figure) const
{
    return only.isEmpty() || only.contains(QLatin1String(figure));
}

double TableBench::insserv_run_ms(const QString &program, const QStringList &arguments) const
{
    QProcess insserv;
    QElapsedTimer timer;
    timer.start();
    insserv.start(program, arguments, QIODevice::ReadOnly);
    if (!insserv.waitForStarted(30000) || !insserv.waitForFinished(30000))
        qFatal("%s did not run", qPrintable(program));
    insserv.readAllStandardOutput();
    const double ms = timer.nsecsElapsed() / 1e6;
    const QString errors = QString::fromUtf8(insserv.readAllStandardError()).trimmed();
    if (!errors.isEmpty() && !insserv_errors.contains(errors))
        insserv_errors.append(errors);
    return ms;
}

// Construction and load of a table, as the main window does at every rebuild.
void TableBench::load_once(Timings &timings) const
{
    const double processor_start = cpu_ms();
    QElapsedTimer timer;
    timer.start();
    auto table = std::make_unique<ServiceTable>();
    const bool loaded = table->load();
    timings.add(timer.nsecsElapsed() / 1e6, cpu_ms() - processor_start);
    if (!loaded || table->rowCount() != system.names().size())
        qFatal("the table loaded %d rows of %d", table->rowCount(), int(system.names().size()));
}

void TableBench::run_with_fake_insserv()
{
    system.install_fake_insserv(QCoreApplication::applicationDirPath() + "/vorn-bench-fake-insserv");
    reset_peak_rss();
    if (wanted("load"))
        measure_load();
    if (wanted("rss") || wanted("select") || wanted("select_all") || wanted("header_click") || wanted("find")) {
        AdminRunlevel window;
        window.resize(1280, 800);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the window did not show");
        // The figures of the table alone, not shared with asking the states.
        if (!QTest::qWaitFor([&window] { return !window.findChild<StatusQuery *>()->busy(); }, 60000))
            qFatal("the states were not all known within a minute");
        if (wanted("rss"))
            report("rss", size, peak_rss_mib(), "MiB");
        auto *table = window.findChild<ServiceTable *>();
        if (wanted("select"))
            measure_select(table);
        if (wanted("select_all"))
            measure_select_all(table);
        if (wanted("header_click"))
            measure_header_click(table);
        if (wanted("find"))
            measure_find(table);
    }
    if (wanted("boot_order"))
        measure_boot_order(size);
    if (wanted("apply100"))
        measure_apply();
    if (size <= 1000 && (wanted("states") || wanted("select_while_asking")))
        measure_states();
}

void TableBench::measure_states()
{
    const StateBench states(size, system.names());
    if (wanted("states"))
        states.measure_states();
    if (wanted("select_while_asking")) {
        AdminRunlevel window;
        window.resize(1280, 800);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the window did not show");
        states.measure_select_while_asking(window);
    }
}

// The fake insserv's listing is part of every load; its cost is measured
// alongside, so the load can be read with and without it.
void TableBench::measure_load()
{
    Timings loads;
    QList<double> fake;
    for (int i = 0; i < repetitions; ++i) {
        load_once(loads);
        fake.append(insserv_run_ms(directory.path() + "/sbin/insserv", {"-s"}));
    }
    report("load", size, loads);
    report("load_fake_insserv_share", size, median(fake), "ms");
}

// Clicks on name cells spread over the whole table: each click reports the
// selection, the window enables its actions and highlights the dependencies.
void TableBench::measure_select(ServiceTable *table)
{
    Timings times;
    const int rows = table->rowCount();
    for (int k = 0; k < selections; ++k) {
        const int row = rows >= selections ? k * rows / selections : k % rows;
        QTableWidgetItem *cell = table->item(row, 0);
        table->scrollToItem(cell);
        QApplication::processEvents();
        const QPoint centre = table->visualItemRect(cell).center();
        times.time([&] { QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, centre); });
        if (table->currentItem() != cell)
            qFatal("a click did not select its name cell");
    }
    report("select", size, times);
}

void TableBench::measure_select_all(ServiceTable *table)
{
    Timings all, column;
    for (int i = 0; i < repetitions; ++i) {
        table->setCurrentCell(0, 0);
        QApplication::processEvents();
        all.time([&] { QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier); });
        if (table->selectionModel()->selectedIndexes().size() != table->rowCount())
            qFatal("Ctrl+A did not select every name");
        column.time([&] { table->selectColumn(4); });
    }
    report("select_all", size, all);
    report("select_column", size, column);
}

// The first click on a runlevel header shows the services started there, the
// second those stopped there; a click on "Service" shows all rows again.
void TableBench::measure_header_click(ServiceTable *table)
{
    QHeaderView *header = table->horizontalHeader();
    Timings starts, stops;
    for (int i = 0; i < repetitions; ++i) {
        const int column = 4 + i % 4;
        starts.time([&] { click_header(header, column); });
        if (header->sortIndicatorOrder() != Qt::AscendingOrder)
            qFatal("a first click on a header did not sort in ascending order");
        stops.time([&] { click_header(header, column); });
        click_header(header, 0);
        QApplication::processEvents();
    }
    report_slower("header_click", size, starts, stops);
    report("header_click_started", size, starts);
    report("header_click_stopped", size, stops);
}

void TableBench::measure_find(ServiceTable *table)
{
    FindServiceDialog dialog(table);
    dialog.show();
    auto *text = dialog.findChild<QLineEdit *>();
    QPushButton *find = nullptr;
    for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
        if (button->text() == FindServiceDialog::tr("Find"))
            find = button;
    }
    BoxAnswerer not_found;
    Timings one, two;
    for (int i = 0; i < repetitions; ++i) {
        for (Timings *times : {&one, &two}) {
            text->setText(times == &one ? QStringLiteral("s") : QStringLiteral("ss"));
            QApplication::processEvents();
            times->time([&] { find->click(); });
        }
    }
    if (not_found.answered > 0)
        qFatal("a search found nothing");
    report_slower("find", size, one, two);
    report("find_one_letter", size, one);
    report("find_two_letters", size, two);
}

// Each repetition starts from the generated overrides and a freshly loaded table.
// The apply's own share: the plan made, its overrides written, its programs
// run once through a runner that answers at once without starting anything
// (insserv excluded), and once through the real runner with the instant fake
// insserv, then the configuration read back as the verification does. The
// rehearsal and the real insserv are measured by --apply-real.
void TableBench::measure_apply()
{
    Timings own, with_fake;
    int runs = 0;
    const ProcessRunner instant = [&runs](const QString &, const QStringList &) {
        ++runs;
        ProcessResult result;
        result.started = result.finished = true;
        result.exit_code = 0;
        return result;
    };
    for (int i = 0; i < repetitions; ++i) {
        runs = 0;
        apply_once(own, instant);
        apply_once(with_fake, run_process);
    }
    system.restore_overrides();
    report("apply100", size, own);
    report("apply100_with_fake_insserv", size, with_fake);
    report("apply100_program_runs", size, runs, "runs");
}

// 100 runlevel cells switched from start to stop, spread over the services.
void TableBench::apply_once(Timings &timings, const ProcessRunner &runner) const
{
    system.restore_overrides();
    ServiceTable table;
    table.load();
    int changes = 0;
    for (int column = 7; column >= 3 && changes < pending_changes; --column) {
        for (int row = 0; row < table.rowCount() && changes < pending_changes; ++row) {
            QTableWidgetItem *cell = table.item(row, column);
            if (cell->data(ServiceTable::MarkRole).toString() == ServiceTable::start_mark) {
                table.toggle_item(cell);
                ++changes;
            }
        }
    }
    const double processor_start = cpu_ms();
    QElapsedTimer timer;
    timer.start();
    const ApplyPlan plan = table.changes_plan();
    const PlanOutcome outcome = run_steps(plan, runner, system_root());
    // Nothing ran insserv: the links are not yet what the plan intends.
    const QStringList differences = link_differences(plan.intended, read_boot_configuration(system_root()));
    timings.add(timer.nsecsElapsed() / 1e6, cpu_ms() - processor_start);
    if (changes != pending_changes || !outcome.succeeded() || differences.isEmpty())
        qFatal("%d changes applied, %s", changes, outcome.succeeded() ? "but nothing to verify" : "the plan failed");
}

// The load against the real insserv's listing alone, on one root in which
// insserv itself has made the links.
void TableBench::run_with_real_insserv()
{
    if (!QFileInfo(QStringLiteral("/sbin/insserv")).isExecutable()) {
        note(QStringLiteral("/sbin/insserv is not installed: no comparison with the real insserv"));
        return;
    }
    system.install_real_insserv();
    insserv_run_ms(directory.path() + "/bin/insserv", {});
    insserv_errors.clear();
    QList<double> runs;
    Timings loads;
    for (int i = 0; i < 3; ++i) {
        runs.append(insserv_run_ms(directory.path() + "/sbin/insserv", {"-s"}));
        BoxAnswerer warning;
        load_once(loads);
    }
    for (const QString &errors : std::as_const(insserv_errors))
        note(QStringLiteral("insserv said: %1").arg(errors.left(300)));
    report("real_insserv_runs", size, median(runs), "ms");
    report("real_insserv_load", size, loads.wall(), "ms");
    report("real_insserv_own_share", size, 100 * (loads.wall() - median(runs)) / loads.wall(), "%");
}
