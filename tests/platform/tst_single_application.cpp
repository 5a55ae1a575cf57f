#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Runs instances of single_instance_probe side by side, each test in a runtime
// directory of its own, and reads what they report.
class TestSingleApplication : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void second_instance_raises_the_first_and_exits();
    void simultaneous_starts_elect_exactly_one_first();
    void lock_of_a_killed_instance_does_not_block_a_start();
    void waiting_instance_retries_until_its_timeout();

private:
    QProcess *start_instance();
    QStringList lines(QProcess *process) const;
    bool reported(QProcess *process, const QString &line);
    static bool ended_as_second(QProcess *process);
    void stop(QProcess *process);
    void crash(QProcess *process);
    QStringList left_behind() const;
    QString lock_left_behind() const;

    std::unique_ptr<QTemporaryDir> runtime;
    QHash<QProcess *, QByteArray> output;
};

void TestSingleApplication::init()
{
    runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(runtime->isValid());
}

void TestSingleApplication::cleanup()
{
    for (QProcess *process : output.keys()) {
        process->kill();
        process->waitForFinished();
        delete process;
    }
    output.clear();
}

QProcess *TestSingleApplication::start_instance()
{
    auto *process = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime->path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    output.insert(process, QByteArray());
    connect(process, &QProcess::readyReadStandardOutput, process,
            [this, process] { output[process] += process->readAllStandardOutput(); });
    process->start(QStringLiteral(PROBE_PROGRAM), QStringList());
    return process;
}

QStringList TestSingleApplication::lines(QProcess *process) const
{
    return QString::fromUtf8(output.value(process)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool TestSingleApplication::reported(QProcess *process, const QString &line)
{
    return QTest::qWaitFor([&] { return lines(process).contains(line); }, 10000);
}

bool TestSingleApplication::ended_as_second(QProcess *process)
{
    // waitForFinished fails for a process that has already ended.
    if (process->state() != QProcess::NotRunning && !process->waitForFinished(15000))
        return false;
    return process->exitStatus() == QProcess::NormalExit
        && process->exitCode() == 1;
}

// Closing its input is how an instance is asked to end cleanly.
void TestSingleApplication::stop(QProcess *process)
{
    process->closeWriteChannel();
    QVERIFY(process->waitForFinished());
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 0);
}

// Killed, an instance leaves its lock file and its socket behind.
void TestSingleApplication::crash(QProcess *process)
{
    QVERIFY(reported(process, QStringLiteral("ready")));
    process->kill();
    QVERIFY(process->waitForFinished());
    QVERIFY(!lock_left_behind().isEmpty());
}

QStringList TestSingleApplication::left_behind() const
{
    return QDir(runtime->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

QString TestSingleApplication::lock_left_behind() const
{
    const QStringList locks = left_behind().filter(QStringLiteral(".lock"));
    return locks.size() == 1 ? runtime->filePath(locks.first()) : QString();
}

void TestSingleApplication::second_instance_raises_the_first_and_exits()
{
    QProcess *first = start_instance();
    QVERIFY(reported(first, QStringLiteral("ready")));

    QElapsedTimer timer;
    timer.start();
    QProcess *second = start_instance();
    QVERIFY(ended_as_second(second));
    QVERIFY(lines(second).contains(QStringLiteral("sent")));
    // Well inside the five seconds it would wait for an instance that never answers.
    QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));

    const QStringList expected{"ready", "message raise", "activated"};
    QTRY_COMPARE_WITH_TIMEOUT(lines(first), expected, 10000);
    stop(first);
    QCOMPARE(left_behind(), QStringList());
}

void TestSingleApplication::simultaneous_starts_elect_exactly_one_first()
{
    for (int round = 0; round < 5; ++round) {
        QProcess *one = start_instance();
        QProcess *other = start_instance();
        QTRY_VERIFY_WITH_TIMEOUT(one->state() == QProcess::NotRunning || other->state() == QProcess::NotRunning,
                                 10000);
        QProcess *first = one->state() == QProcess::NotRunning ? other : one;
        QProcess *second = first == one ? other : one;
        QVERIFY(ended_as_second(second));
        QVERIFY(lines(second).contains(QStringLiteral("sent")));
        QVERIFY(reported(first, QStringLiteral("message raise")));
        QCOMPARE(first->state(), QProcess::Running);
        stop(first);
    }
}

void TestSingleApplication::lock_of_a_killed_instance_does_not_block_a_start()
{
    crash(start_instance());
    QProcess *next = start_instance();
    QVERIFY(reported(next, QStringLiteral("ready")));
    QVERIFY(ended_as_second(start_instance()));
    QVERIFY(reported(next, QStringLiteral("message raise")));
}

// The test holds the lock itself, as an instance that does not listen yet.
void TestSingleApplication::waiting_instance_retries_until_its_timeout()
{
    crash(start_instance());
    QLockFile starting(lock_left_behind());
    QVERIFY(starting.tryLock(0));

    QElapsedTimer timer;
    timer.start();
    QProcess *unanswered = start_instance();
    QVERIFY(ended_as_second(unanswered));
    QVERIFY(lines(unanswered).contains(QStringLiteral("not sent")));
    QVERIFY2(timer.elapsed() >= 5000 && timer.elapsed() < 8000, qPrintable(QString::number(timer.elapsed())));

    QProcess *waiting = start_instance();
    QVERIFY(reported(waiting, QStringLiteral("running elsewhere")));
    starting.unlock();
    QProcess *first = start_instance();
    QVERIFY(ended_as_second(waiting));
    QVERIFY(lines(waiting).contains(QStringLiteral("sent")));
    QVERIFY(reported(first, QStringLiteral("message raise")));
}

QTEST_MAIN(TestSingleApplication)
#include "tst_single_application.moc"
