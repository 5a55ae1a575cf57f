#include "tests/support/fixture.h"

#include <vorn_help_menu.h>
#include <vornintegration.h>

class TestVornIntegration : public QObject
{
    Q_OBJECT

private slots:
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
