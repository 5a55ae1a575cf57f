#include "app/find_service_dialog.h"
#include "app/resource.h"
#include "tests/support/fixture.h"

class TestFindAndIcons : public QObject
{
    Q_OBJECT

private slots:
    // The theme's icon where it has one, the program's own of the same name for every other.
    void icons_are_looked_up_by_logical_name()
    {
        QIcon::setThemeSearchPaths({QFINDTESTDATA("icons")});
        QIcon::setThemeName("test-theme");
        const auto image = [](const QIcon &icon) {
            return icon.pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
        };
        const Resource &icons = Resource::instance();
        QCOMPARE(image(icons.icon("service start")),
                 image(QIcon(QFINDTESTDATA("icons/test-theme/16x16/actions/dialog-ok-apply.png"))));
        QCOMPARE(image(icons.icon("edit service")), image(QIcon(":/icons/configure.svg")));
        for (const char *name : {"service start", "service stop", "service ignore", "apply all", "find service",
                                 "undo changes", "edit service", "reset service", "toggle", "service enable",
                                 "service disable", "vorn-runlevel", "exit"})
            QVERIFY2(!image(icons.icon(name)).isNull(), name);
        QVERIFY(icons.icon("Service Start").isNull());
    }

    // Matches, by part of a name or of a provided name ignoring case, follow the rows as sorted;
    // the button says "Next" until the last. Hidden rows are not searched; filtering hides
    // the rows that do not match until the dialog shows them again.
    void find_steps_through_matches()
    {
        TestRoot root;
        for (const QString line : {"cron", "anacron", "ssh", "crony-time timeserver"})
            root.add_script(line.section(' ', 0, 0), {"Provides: " + line});
        root.set_listing({"S:01:2:cron", "S:02:2:anacron", "S:03:2:ssh", "S:04:2:crony-time"});
        root.write_file("etc/insserv.conf", "$portmap timeserver\n");
        TestTable table;
        QVERIFY(table.load());
        FindServiceDialog dialog(&table);
        auto *edit = dialog.findChild<QLineEdit *>();
        QPushButton *button = dialog.findChildren<QPushButton *>().first();
        QVERIFY(!button->isEnabled());
        QStringList found;
        const auto press = [&](const QString &text, int times) {
            edit->setText(text);
            for (int press = 0; press < times; ++press) {
                button->click();
                found << table.currentItem()->data(ServiceTable::ServiceNameRole).toString() + '/' + button->text();
            }
        };
        press("CRO", 4);
        press("CRON", 1);
        press("SERVER", 1);
        press("$portmap", 1);
        ModalWatcher watcher;
        watcher.expect_message(QMessageBox::Ok);
        press("nothing-like-this", 1);
        QCOMPARE(found, QStringList({"anacron/Next", "cron/Next", "crony-time/Find", "anacron/Next", "anacron/Next",
                                     "crony-time/Find", "crony-time/Find", "crony-time/Find"}));
        QCOMPARE(watcher.titles + watcher.texts, QStringList({"Find service", "Service not found."}));

        table.hideRow(table.row_of("ssh"));
        QVERIFY(dialog.find_items("ssh").isEmpty());
        table.showRow(table.row_of("ssh"));
        dialog.filter_items("cron");
        QCOMPARE(table.visible_names(), QStringList({"anacron", "cron", "crony-time"}));
        dialog.show_hidden_rows();
        QCOMPARE(table.visible_names().size(), 4);
        edit->clear();
        QVERIFY(!button->isEnabled());
    }
};

QTEST_MAIN(TestFindAndIcons)
#include "tst_find_and_icons.moc"
