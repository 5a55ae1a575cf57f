#include <instance_directory.h>

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const uid_t other_user = 4343;

// The files the instances left under places, wherever the user's directory lies.
QStringList files_under(const QString &places)
{
    QStringList names;
    QDirIterator it(places, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        if (!entry.isDir())
            names.append(entry.fileName());
    }
    return names;
}

// Stands at path what kind says: a directory of user's ("own"), of another
// user's ("foreign"), one open to others ("open"), a link to one of user's
// ("link") or a plain file ("file").
void prepare(const QString &path, const QString &kind, uid_t user)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == "link") {
        prepare(path + ".real", "own", user);
        QVERIFY(QFile::link(path + ".real", path));
    } else if (kind == "file") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (!kind.isEmpty()) {
        QCOMPARE(::mkdir(name.constData(), kind == "open" ? 0755 : 0700), 0);
        QCOMPARE(::chmod(name.constData(), kind == "open" ? 0755 : 0700), 0);
        QCOMPARE(::chown(name.constData(), kind == "foreign" ? other_user : user, 0), 0);
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
        QCOMPARE(files_under(places.path()).filter(".lock").size(), 1);

        QProcess *first = start_instance(places.path());
        QTRY_COMPARE_WITH_TIMEOUT(outcome(first), QStringList{"ready"}, 10000);
        QProcess *second = start_instance(places.path());
        QTRY_COMPARE_WITH_TIMEOUT(outcome(second), QStringList({"sent", "exit 1"}), 10000);
        QTRY_COMPARE(outcome(first), QStringList({"ready", "message raise", "activated", "exit 0"}));
        QCOMPARE(files_under(places.path()), QStringList());
    }
    // Only a first instance reports "ready", only a second "sent". A raise that comes before the
    // first instance's windows settled may make it report "activated" twice.
    void simultaneous_starts_elect_exactly_one_first()
    {
        QTemporaryDir places;
        for (int round = 0; round < 5; ++round) {
            QProcess *one = start_instance(places.path());
            QProcess *other = start_instance(places.path());
            QVERIFY(one->waitForFinished(15000) && other->waitForFinished(15000));
            QStringList reports = outcome(one) + outcome(other);
            reports.sort();
            reports.removeDuplicates();
            QCOMPARE(reports, QStringList({"activated", "exit 0", "exit 1", "message raise", "ready", "sent"}));
        }
    }
    void lock_directory_is_private_data();
    void lock_directory_is_private();
    void lock_of_another_user_is_not_trusted();
};

void TestSingleApplication::lock_directory_is_private_data()
{
    QTest::addColumn<uint>("user");
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<QString>("prepared"); // at the place of the user's own directory
    QTest::addColumn<QString>("expected"); // where the directory is, or why there is none
    QTest::newRow("root, first start") << 0u << "" << "" << "run/qtsingleapp";
    QTest::newRow("root, ready") << 0u << "own" << "own" << "run/qtsingleapp";
    QTest::newRow("root, another user's") << 0u << "" << "foreign" << "belongs to another user";
    QTest::newRow("root, open to others") << 0u << "" << "open" << "is open to other users";
    QTest::newRow("root, a link") << 0u << "" << "link" << "is a symbolic link";
    QTest::newRow("root, a file") << 0u << "" << "file" << "is not a directory";
    QTest::newRow("user, runtime directory") << 4242u << "own" << "" << "runtime";
    QTest::newRow("user, another's runtime") << 4242u << "foreign" << "own" << "tmp/qtsingleapp-4242";
    QTest::newRow("user, another user's") << 4242u << "" << "foreign" << "belongs to another user";
    QTest::newRow("user, open to others") << 4242u << "open" << "open" << "is open to other users";
    QTest::newRow("user, a link") << 4242u << "" << "link" << "is a symbolic link";
}

void TestSingleApplication::lock_directory_is_private()
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
    struct stat status;
    QVERIFY(chosen.isEmpty() || (::lstat(QFile::encodeName(chosen).constData(), &status) == 0
                                 && (status.st_mode & 0777) == 0700 && status.st_uid == user));
}

// Another user holds a lock with a living instance and links its directory where
// this user's belongs: this user's instance does not believe it, and runs alone.
void TestSingleApplication::lock_of_another_user_is_not_trusted()
{
    QTemporaryDir places;
    const QDir root(places.path());
    QVERIFY(root.mkdir("theirs") && root.mkdir("ours"));
    QProcess *theirs = start_instance(root.filePath("theirs"));
    QTRY_COMPARE_WITH_TIMEOUT(outcome(theirs), QStringList{"ready"}, 10000);
    for (const QString &entry : QDir(root.filePath("theirs")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        QVERIFY(QFile::link(root.filePath("theirs/" + entry), root.filePath("ours/" + entry)));

    QProcess *ours = start_instance(root.filePath("ours"));
    QTRY_COMPARE_WITH_TIMEOUT(outcome(ours), QStringList{"ready"}, 10000);
    QVERIFY(QString::fromUtf8(ours->readAllStandardError()).contains("symbolic link): this instance runs alone."));
    QCOMPARE(outcome(theirs), QStringList{"ready"});
    theirs->kill();
    ours->kill();
    QVERIFY(theirs->waitForFinished() && ours->waitForFinished());
}

QTEST_MAIN(TestSingleApplication)
#include "tst_single_application.moc"
