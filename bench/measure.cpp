#include "bench/measure.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QAbstractButton>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <ctime>

void Timings::time(const std::function<void()> &action)
{
    const double processor_start = cpu_ms();
    QElapsedTimer timer;
    timer.start();
    action();
    QApplication::processEvents();
    add(timer.nsecsElapsed() / 1e6, cpu_ms() - processor_start);
}

void Timings::add(double wall_ms, double processor_ms)
{
    walls.append(wall_ms);
    processors.append(processor_ms);
}

double cpu_ms()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

double peak_rss_mib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QRegularExpression peak(QStringLiteral("^VmHWM:\\s+(\\d+) kB"), QRegularExpression::MultilineOption);
    return peak.match(QString::fromLatin1(status.readAll())).captured(1).toDouble() / 1024;
}

void reset_peak_rss()
{
    QFile clear_refs(QStringLiteral("/proc/self/clear_refs"));
    if (clear_refs.open(QIODevice::WriteOnly))
        clear_refs.write("5");
}

void report(const char *name, int size, double value, const char *unit)
{
    std::printf("%s %d %.2f %s\n", name, size, value, unit);
    std::fflush(stdout);
}

void report(const char *name, int size, const Timings &timings)
{
    report(name, size, timings.wall(), "ms");
    report(qPrintable(QStringLiteral("%1_cpu").arg(QLatin1String(name))), size, timings.processor(), "ms");
}

void report_slower(const char *name, int size, const Timings &first, const Timings &second)
{
    report(name, size, std::max(first.wall(), second.wall()), "ms");
    report(qPrintable(QStringLiteral("%1_cpu").arg(QLatin1String(name))), size,
           std::max(first.processor(), second.processor()), "ms");
}

void note(const QString &text)
{
    std::printf("# %s\n", qPrintable(text));
    std::fflush(stdout);
}

BoxAnswerer::BoxAnswerer(int interval)
{
    connect(&timer, &QTimer::timeout, this, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        ++answered;
        QAbstractButton *button = box->button(QMessageBox::Yes);
        if (!button)
            button = box->button(QMessageBox::Ok);
        button ? button->click() : box->done(0);
    });
    timer.start(interval);
}
