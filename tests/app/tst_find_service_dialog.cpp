#include "app/find_service_dialog.h"
#include "catalogue/test_hooks.h"
#include "tests/support/test_table.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestFindServiceDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void matches_names_and_provided_names();
    void steps_through_matches_and_wraps();
    void text_changes_and_misses();
    void hidden_rows_are_not_searched();

private:
    QString current_name() const;
    QPushButton *find_button() const;
    void type(const QString &text);

    std::unique_ptr<TestRoot> root;
    std::unique_ptr<TestTable> table;
    std::unique_ptr<FindServiceDialog> dialog;
};

void TestFindServiceDialog::init()
{
    root = std::make_unique<TestRoot>();
    const QStringList provides{"cron", "anacron", "networking network", "ssh", "crony-time timeserver"};
    for (const QString &line : provides)
        root->add_script(line.section(' ', 0, 0), {QStringLiteral("Provides: ") + line});
    root->insserv().set_listing({"S:01:2:cron", "S:02:2:anacron", "S:03:2:networking", "S:04:2:ssh",
                                 "S:05:2:crony-time"});
    table = std::make_unique<TestTable>();
    QVERIFY(table->load());
    dialog = std::make_unique<FindServiceDialog>(table.get());
}

void TestFindServiceDialog::cleanup()
{
    dialog.reset();
    table.reset();
    root.reset();
}

QString TestFindServiceDialog::current_name() const
{
    return table->currentItem()->data(ServiceTable::ServiceNameRole).toString();
}

QPushButton *TestFindServiceDialog::find_button() const
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == QLatin1String("Find") || button->text() == QLatin1String("Next"))
            return button;
    }
    return nullptr;
}

void TestFindServiceDialog::type(const QString &text)
{
    QLineEdit *edit = dialog->findChild<QLineEdit *>();
    edit->clear();
    QTest::keyClicks(edit, text);
}

void TestFindServiceDialog::matches_names_and_provided_names()
{
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Find service"));
    QVERIFY(!find_button()->isEnabled());
    type(QStringLiteral("SSH"));
    QVERIFY(find_button()->isEnabled());
    find_button()->click();
    QCOMPARE(current_name(), QStringLiteral("ssh"));
    QCOMPARE(find_button()->text(), QStringLiteral("Find"));

    type(QStringLiteral("TWORK"));
    find_button()->click();
    QCOMPARE(current_name(), QStringLiteral("networking"));

    type(QStringLiteral("timeserv"));
    QCOMPARE(dialog->find_items(QStringLiteral("timeserv")).size(), 1);
    find_button()->click();
    QCOMPARE(current_name(), QStringLiteral("crony-time"));

    type(QString());
    QVERIFY(!find_button()->isEnabled());
}

void TestFindServiceDialog::steps_through_matches_and_wraps()
{
    // Matches follow the rows as sorted: anacron, cron, crony-time.
    type(QStringLiteral("CRO"));
    const QStringList expected{"anacron", "cron", "crony-time", "anacron"};
    const QStringList texts{"Next", "Next", "Find", "Next"};
    for (int press = 0; press < expected.size(); ++press) {
        find_button()->click();
        QCOMPARE(current_name(), expected.at(press));
        QCOMPARE(find_button()->text(), texts.at(press));
    }

    table->sortByColumn(0, Qt::DescendingOrder);
    type(QStringLiteral("cro"));
    find_button()->click();
    QCOMPARE(current_name(), QStringLiteral("crony-time"));
}

void TestFindServiceDialog::text_changes_and_misses()
{
    type(QStringLiteral("cro"));
    find_button()->click();
    find_button()->click();
    QCOMPARE(current_name(), QStringLiteral("cron"));
    QTest::keyClicks(dialog->findChild<QLineEdit *>(), QStringLiteral("n"));
    QCOMPARE(find_button()->text(), QStringLiteral("Find"));
    find_button()->click();
    QCOMPARE(current_name(), QStringLiteral("anacron"));

    ModalWatcher watcher;
    watcher.expect_message(QMessageBox::Ok);
    type(QStringLiteral("nothing-like-this"));
    find_button()->click();
    QCOMPARE(watcher.titles, QStringList{"Find service"});
    QCOMPARE(watcher.texts, QStringList{"Service not found."});
    QCOMPARE(current_name(), QStringLiteral("anacron"));
    QCOMPARE(find_button()->text(), QStringLiteral("Find"));
}

void TestFindServiceDialog::hidden_rows_are_not_searched()
{
    table->hideRow(table->row_of("ssh"));
    QVERIFY(dialog->find_items(QStringLiteral("ssh")).isEmpty());
    table->showRow(table->row_of("ssh"));

    dialog->filter_items(QStringLiteral("cron"));
    QCOMPARE(table->visible_names(), QStringList({"anacron", "cron", "crony-time"}));
    dialog->show_hidden_rows();
    QCOMPARE(table->visible_names().size(), 5);
}

QTEST_MAIN(TestFindServiceDialog)
#include "tst_find_service_dialog.moc"
