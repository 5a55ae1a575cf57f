#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs instances of single_instance_probe side by side, each test in a runtime
// directory of its own, and reads what they report.
class TestSingleApplication : public QObject
{
    Q_OBJECT

    // An instance still running when the test ends is killed with its QProcess.
    QProcess *start_instance(const QTemporaryDir &runtime)
    {
        auto *process = new QProcess(this);
        process->setEnvironment(QProcess::systemEnvironment() << "XDG_RUNTIME_DIR=" + runtime.path());
        // Without a runtime directory of its own it would meet the user's instances: run nothing.
        process->start(runtime.isValid() ? PROBE_PROGRAM : "false", {"-platform", "offscreen"});
        return process;
    }
    // What an instance has reported so far (peeked, never consumed), then how it ended.
    static QStringList outcome(QProcess *p)
    {
        const QString exit = p->state() == QProcess::NotRunning ? "exit " + QString::number(p->exitCode()) : "";
        return (QString::fromUtf8(p->peek(p->bytesAvailable())) + exit).split('\n', Qt::SkipEmptyParts);
    }

private slots:
    // Killed, an instance leaves its lock behind; the next starts all the same.
    void second_instance_raises_the_first_and_exits()
    {
        QTemporaryDir runtime;
        QProcess *killed = start_instance(runtime);
        QTRY_COMPARE_WITH_TIMEOUT(outcome(killed), QStringList{"ready"}, 10000);
        killed->kill();
        QVERIFY(killed->waitForFinished());
        QCOMPARE(QDir(runtime.path()).entryList({"*.lock"}).size(), 1);

        QProcess *first = start_instance(runtime);
        QTRY_COMPARE_WITH_TIMEOUT(outcome(first), QStringList{"ready"}, 10000);
        QProcess *second = start_instance(runtime);
        QTRY_COMPARE_WITH_TIMEOUT(outcome(second), QStringList({"sent", "exit 1"}), 10000);
        QTRY_COMPARE(outcome(first), QStringList({"ready", "message raise", "activated", "exit 0"}));
        QCOMPARE(QDir(runtime.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), QStringList());
    }
    // Only a first instance reports "ready", only a second "sent". A raise that comes before the
    // first instance's windows settled may make it report "activated" twice.
    void simultaneous_starts_elect_exactly_one_first()
    {
        QTemporaryDir runtime;
        for (int round = 0; round < 5; ++round) {
            QProcess *one = start_instance(runtime);
            QProcess *other = start_instance(runtime);
            QVERIFY(one->waitForFinished(15000) && other->waitForFinished(15000));
            QStringList reports = outcome(one) + outcome(other);
            reports.sort();
            reports.removeDuplicates();
            QCOMPARE(reports, QStringList({"activated", "exit 0", "exit 1", "message raise", "ready", "sent"}));
        }
    }
};

QTEST_MAIN(TestSingleApplication)
#include "tst_single_application.moc"
