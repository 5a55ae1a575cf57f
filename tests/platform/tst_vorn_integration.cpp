#include <vorn_help_menu.h>
#include <vornintegration.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// What a modal box showed before the test answered it.
struct AnsweredBox
{
    bool shown = false;
    QWidget *parent = nullptr;
    QString title;
    QString text;
};

class TestVornIntegration : public QObject
{
    Q_OBJECT

private slots:
    void init_names_the_application();
    void geometry_survives_a_restart();
    void geometry_falls_back_to_the_default();
    void help_menu_opens_both_about_boxes();

private:
    static AnsweredBox answer_box_of(QAction *action);
};

void TestVornIntegration::init_names_the_application()
{
    const QString executable = QCoreApplication::applicationName();
    vornInit("1.3.1", "Vorn Runlevels");
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.3.1"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Vorn Runlevels"));
    QCOMPARE(QCoreApplication::applicationName(), executable);
    QVERIFY(!QCoreApplication::organizationName().isEmpty());
    QVERIFY(QSettings().fileName().contains(QCoreApplication::organizationName()));
}

void TestVornIntegration::geometry_survives_a_restart()
{
    QTemporaryDir directory;
    QSettings settings(directory.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    const QRect placed(110, 120, 430, 310);
    {
        QMainWindow window;
        window.setGeometry(placed);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        vornSaveGeometry(&window, &settings, false);
        QVERIFY(QFileInfo(settings.fileName()).size() > 0);
    }
    QSettings reread(settings.fileName(), QSettings::IniFormat);
    QMainWindow window;
    QVERIFY(vornRestoreGeometry(&window, &reread, QRect(0, 0, 200, 100), false));
    QCOMPARE(window.geometry(), placed);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.geometry(), placed);
}

void TestVornIntegration::geometry_falls_back_to_the_default()
{
    QTemporaryDir directory;
    QSettings settings(directory.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    const QRect fallback(30, 40, 500, 350);
    QMainWindow window;
    QVERIFY(!vornRestoreGeometry(&window, &settings, fallback, false));
    QCOMPARE(window.geometry(), fallback);

    window.setObjectName(QStringLiteral("main"));
    vornSaveGeometry(&window, &settings, false);
    QWidget other;
    other.setObjectName(QStringLiteral("editor"));
    QVERIFY(!vornRestoreGeometry(&other, &settings, fallback, false));
    QCOMPARE(other.geometry(), fallback);

    for (const QString &key : settings.allKeys())
        settings.setValue(key, QStringLiteral("not a geometry"));
    QMainWindow damaged;
    damaged.setObjectName(QStringLiteral("main"));
    QVERIFY(!vornRestoreGeometry(&damaged, &settings, fallback, false));
    QCOMPARE(damaged.geometry(), fallback);
}

// Answers the modal box the action opens from inside the box's own event loop.
AnsweredBox TestVornIntegration::answer_box_of(QAction *action)
{
    AnsweredBox answered;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, &answerer, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        answerer.stop();
        answered = {true, box->parentWidget(), box->windowTitle(), box->text()};
        box->buttons().first()->click();
    });
    answerer.start(10);
    action->trigger();
    return answered;
}

void TestVornIntegration::help_menu_opens_both_about_boxes()
{
    vornInit("1.3.1", "Vorn Runlevels");
    QMainWindow window;
    auto *menu = new VornHelpMenu(&window);
    window.menuBar()->addMenu(menu);
    QCOMPARE(menu->title(), QStringLiteral("&Help"));
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), QStringLiteral("&About Vorn Runlevels"));
    QCOMPARE(actions[1]->text(), QStringLiteral("About &Qt"));

    const AnsweredBox about = answer_box_of(actions[0]);
    QVERIFY(about.shown);
    QCOMPARE(about.parent, &window);
    QVERIFY(about.title.contains(QStringLiteral("Vorn Runlevels")));
    QVERIFY(about.text.contains(QStringLiteral("Vorn Runlevels")));
    QVERIFY(about.text.contains(QStringLiteral("1.3.1")));
    QVERIFY(!QApplication::activeModalWidget());

    QVERIFY(answer_box_of(actions[1]).text.contains(QStringLiteral("Qt")));
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TestVornIntegration)
#include "tst_vorn_integration.moc"
