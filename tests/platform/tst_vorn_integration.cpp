#include "tests/support/modal_watcher.h"

#include <vorn_help_menu.h>
#include <vornintegration.h>

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestVornIntegration : public QObject
{
    Q_OBJECT

private slots:
    void geometry_comes_back_or_falls_back_to_the_default()
    {
        QTemporaryDir directory;
        QSettings settings(directory.filePath("settings.ini"), QSettings::IniFormat);
        QWidget window;
        QVERIFY(!vornRestoreGeometry(&window, &settings, QRect(30, 40, 500, 350), false));
        QCOMPARE(window.geometry(), QRect(30, 40, 500, 350));
        window.setGeometry(110, 120, 430, 310);
        vornSaveGeometry(&window, &settings, false);
        QWidget restored;
        QVERIFY(vornRestoreGeometry(&restored, &settings, QRect(30, 40, 500, 350), false));
        QCOMPARE(restored.geometry(), QRect(110, 120, 430, 310));
    }
    // The about box shows the display name and version vornInit sets.
    void help_menu_opens_both_about_boxes()
    {
        vornInit("1.3.1", "Vorn Runlevels");
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.3.1"));
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Vorn Runlevels"));
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Vorn"));
        VornHelpMenu menu(nullptr);
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Ok);
        watcher.expect_message(QMessageBox::Ok);
        for (QAction *action : menu.actions())
            action->trigger();
        QCOMPARE(watcher.titles, QStringList({"About Vorn Runlevels", "About Qt"}));
        QVERIFY(watcher.texts[0].contains("Vorn Runlevels") && watcher.texts[0].contains("1.3.1"));
    }
};

QTEST_MAIN(TestVornIntegration)
#include "tst_vorn_integration.moc"
