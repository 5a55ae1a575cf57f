#include "app/translations.h"
#include "tests/support/fixture.h"

namespace {

// Context and source text of every message of a .ts file, with its finished translation
// (null while unfinished, empty or vanished). Both sides keep the file's escapes.
QMap<QString, QString> messages(const QString &path)
{
    QFile file(path);
    QMap<QString, QString> result;
    static const QRegularExpression name("<name>(.*?)</name>"),
        message("<source>(.*?)</source>.*?<translation([^>]*)>(.*?)</translation>",
                QRegularExpression::DotMatchesEverythingOption);
    const QStringList contexts
        = QString::fromUtf8(file.open(QIODevice::ReadOnly) ? file.readAll() : "").split("<context>");
    for (const QString &context : contexts.mid(1)) {
        for (auto found = message.globalMatch(context); found.hasNext();) {
            const QRegularExpressionMatch match = found.next();
            const bool finished = match.captured(2).isEmpty() && !match.captured(3).isEmpty();
            result.insert(name.match(context).captured(1) + " | " + match.captured(1),
                          finished ? match.captured(3) : QString());
        }
    }
    return result;
}

QStringList markers(const QString &text)
{
    QStringList found;
    for (auto match = QRegularExpression("%[0-9n]").globalMatch(text); match.hasNext();)
        found << match.next().captured();
    // Each form of a number's translation has the markers once.
    found.removeDuplicates();
    found.sort();
    return found;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    // lupdate reads every text out of the sources; each language must translate each of them,
    // with the place markers of its source.
    void every_text_is_translated()
    {
        QTemporaryDir scratch;
        QProcess lupdate;
        lupdate.setWorkingDirectory(SOURCE_DIR);
        lupdate.start(LUPDATE, {"-silent", "-I", ".", "app", "catalogue", "table", "dependencies", "apply", "platform",
                                "-ts", scratch.filePath("fresh.ts")});
        QVERIFY(lupdate.waitForFinished(60000) && lupdate.exitCode() == 0);
        const QStringList sources = messages(scratch.filePath("fresh.ts")).keys();
        QVERIFY(sources.size() > 100);
        const QDir translations(SOURCE_DIR "/app/translations", "*.ts");
        QVERIFY(!translations.entryList().isEmpty());
        for (const QString &language : translations.entryList()) {
            const QMap<QString, QString> translated = messages(translations.filePath(language));
            for (const QString &source : sources) {
                QVERIFY2(!translated.value(source).isNull(), qPrintable(language + ": " + source));
                QVERIFY2(markers(translated.value(source)) == markers(source.section(" | ", 1)),
                         qPrintable(language + ": " + source));
            }
        }
    }

    void the_locale_chooses_the_language_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("layout"); // where the translation lies: "build" tree, or "installed" under a prefix
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("yes");
        QTest::newRow("German: none of ours, Qt's own") << "de" << "build" << "Apply all changes?" << "&Ja";
        QTest::newRow("Russian, in the build tree") << "ru"
                                                    << "build"
                                                    << "Применить все изменения?"
                                                    << "&Да";
        QTest::newRow("Russian, installed: PREFIX/sbin reads PREFIX/share") << "ru"
                                                                            << "installed"
                                                                            << "Применить все изменения?"
                                                                            << "&Да";
    }

    // Without a translation of its own for the locale the program speaks English; Qt's own buttons
    // speak the locale's language. An installed program finds its translations from where it lies.
    void the_locale_chooses_the_language()
    {
        QFETCH(QString, language);
        QFETCH(QString, layout);
        QTemporaryDir prefix;
        const QString share = prefix.filePath("share/vorn-admin-runlevel/translations");
        QVERIFY(QDir().mkpath(share) && QDir().mkpath(prefix.filePath("sbin")));
        QVERIFY(QFile::copy(QM_DIR "/vorn-admin-runlevel_ru.qm", share + "/vorn-admin-runlevel_ru.qm"));
        const QStringList directories = layout == "installed" ? translation_directories(prefix.filePath("sbin"))
                                                              : QStringList{"/nowhere", QM_DIR};
        QLocale::setDefault(QLocale(language));
        QCOMPARE(load_translations(directories), language == "ru");
        QTEST(QCoreApplication::translate("AdminRunlevel", "Apply all changes?"), "question");
        QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No);
        QTEST(box.button(QMessageBox::Yes)->text(), "yes");
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
