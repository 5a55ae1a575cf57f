#include "tests/support/fixture.h"

#include <instance_directory.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The user's own directory among places, where the instances keep lock and socket.
QDir instance_directory(const QString &places)
{
    const uid_t user = ::geteuid();
    return QDir(places).filePath(user == 0 ? QString("qtsingleapp") : QString("qtsingleapp-%1").arg(user));
}

// Puts at path a directory of user's ("own"), of another user's ("foreign"), one
// open to others ("open") or to its group ("group"), or a link to one of user's ("link").
void prepare(const QString &path, const QString &kind, uid_t user)
{
    const QByteArray name = QFile::encodeName(path);
    const mode_t mode = kind == "open" ? 0755 : kind == "group" ? 0770 : 0700;
    if (kind == "link") {
        prepare(path + ".real", "own", user);
        QVERIFY(QFile::link(path + ".real", path));
    } else if (!kind.isEmpty()) {
        QVERIFY(::mkdir(name, mode) == 0 && ::chmod(name, mode) == 0
                && ::chown(name, kind == "foreign" ? 4343 : user, 0) == 0);
    }
}

} // namespace

// Runs instances of single_instance_probe side by side, each test in places of
// its own, and reads what they report.
class TestSingleApplication : public QObject
{
    Q_OBJECT

    // An instance still running when the test ends is killed with its QProcess.
    QProcess *start_instance(const QString &places)
    {
        auto *process = new QProcess(this);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", "");
        environment.insert("TMPDIR", places);
        environment.insert("PROBE_RUN_DIR", places);
        process->setProcessEnvironment(environment);
        // Without places of its own it would meet the user's instances: run nothing.
        process->start(places.isEmpty() ? "false" : PROBE_PROGRAM, {"-platform", "offscreen"});
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
        QTemporaryDir places;
        QProcess *killed = start_instance(places.path());
        QTRY_COMPARE_WITH_TIMEOUT(outcome(killed), QStringList{"ready"}, 10000);
        killed->kill();
        QVERIFY(killed->waitForFinished());
        QCOMPARE(instance_directory(places.path()).entryList({"*.lock"}).size(), 1);

        QProcess *first = start_instance(places.path());
        QTRY_COMPARE_WITH_TIMEOUT(outcome(first), QStringList{"ready"}, 10000);
        QProcess *second = start_instance(places.path());
        QTRY_COMPARE_WITH_TIMEOUT(outcome(second), QStringList({"sent", "exit 1"}), 10000);
        QTRY_COMPARE(outcome(first), QStringList({"ready", "message raise", "activated", "exit 0"}));
        QCOMPARE(instance_directory(places.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void lock_directory_is_private_data()
    {
        QTest::addColumn<uint>("user");
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<QString>("prepared"); // at the place of the user's own directory
        QTest::addColumn<QString>("expected"); // where the directory is, or why there is none
        QTest::newRow("root, first start") << 0u << "own" << "" << "run/qtsingleapp";
        QTest::newRow("root, another user's") << 0u << "" << "foreign" << "belongs to another user";
        QTest::newRow("root, open to others") << 0u << "" << "open" << "is open to other users";
        QTest::newRow("root, open to its group") << 0u << "" << "group" << "is open to other users";
        QTest::newRow("root, a link") << 0u << "" << "link" << "is a symbolic link";
        QTest::newRow("user, runtime directory") << 4242u << "own" << "" << "runtime";
        QTest::newRow("user, another's runtime") << 4242u << "foreign" << "own" << "tmp/qtsingleapp-4242";
    }

    void lock_directory_is_private()
    {
        if (::geteuid() != 0)
            QSKIP("preparing the directories of other users needs root");
        QFETCH(uint, user);
        QFETCH(QString, runtime);
        QFETCH(QString, prepared);
        QTemporaryDir places;
        const QDir root(places.path());
        QVERIFY(root.mkdir("run") && root.mkdir("tmp"));
        prepare(root.filePath("runtime"), runtime, user);
        prepare(root.filePath(user == 0 ? "run/qtsingleapp" : "tmp/qtsingleapp-4242"), prepared, user);

        QString problem;
        const QString chosen = private_instance_directory(user, runtime.isEmpty() ? "" : root.filePath("runtime"),
                                                          root.filePath("run"), root.filePath("tmp"), problem);
        QTEST(chosen.isEmpty() ? problem.section(' ', 1) : root.relativeFilePath(chosen), "expected");
    }

    // Another user holds a lock with a living instance and links its directory where
    // this user's belongs: this user's instance does not believe it, and runs alone.
    void lock_of_another_user_is_not_trusted()
    {
        QTemporaryDir theirs, ours;
        QProcess *their_instance = start_instance(theirs.path());
        QTRY_COMPARE_WITH_TIMEOUT(outcome(their_instance), QStringList{"ready"}, 10000);
        QVERIFY(QFile::link(instance_directory(theirs.path()).path(), instance_directory(ours.path()).path()));
        QProcess *our_instance = start_instance(ours.path());
        QTRY_COMPARE_WITH_TIMEOUT(outcome(our_instance), QStringList{"ready"}, 10000);
        QVERIFY(QString(our_instance->readAllStandardError()).contains("symbolic link): this instance runs alone."));
        QCOMPARE(outcome(their_instance), QStringList{"ready"});
    }
};

QTEST_MAIN(TestSingleApplication)
#include "tst_single_application.moc"
