#include "apply/override_writer.h"
#include "dependencies/dependencies_dialog.h"
#include "dependencies/dependencies_widget.h"
#include "tests/support/test_table.h"
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"

#include <QContextMenuEvent>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

namespace {

const QString web_override = "### BEGIN INIT INFO\n# Provides: web web-alias\n# Short-Description: Example\n"
                             "# Description: Serves <b>pages</b>\n# Default-Start: 2 3 4 5\n# X-Empty: \n%1"
                             "# Should-Stop: $remote_fs\n### END INIT INFO\n";
const QString required = QStringLiteral("Required-Start (Required-Start)");

// One line per row, indented by depth; "+" marks an optional row.
QStringList tree(const QStandardItem *parent, const QString &indent = QString())
{
    QStringList lines;
    for (int row = 0; row < parent->rowCount(); ++row) {
        const QStandardItem *item = parent->child(row);
        lines << indent + (item->data(DependenciesWidget::OptionalRole).toBool() ? "+" : "") + item->text()
              << tree(item, indent + "  ");
    }
    return lines;
}

QStandardItem *item(DependenciesWidget *widget, const QString &text)
{
    auto *model = qobject_cast<QStandardItemModel *>(widget->model());
    return model->itemFromIndex(model->match(model->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchRecursive)[0]);
}

QPoint point_of(DependenciesWidget *widget, const QString &text)
{
    return text.isEmpty() ? QPoint(5, widget->viewport()->height() - 5)
                          : widget->visualRect(item(widget, text)->index()).center();
}

void right_click(DependenciesWidget *widget, const QString &text)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, point_of(widget, text));
    QCoreApplication::sendEvent(widget->viewport(), &event);
}

// Answers the next input dialog with a text, accepting or cancelling it.
ModalWatcher::Handler answer(const QString &text, bool accept = true, QStringList *offered = nullptr)
{
    return [=](QWidget *widget) {
        auto *input = qobject_cast<QInputDialog *>(widget);
        if (!input)
            return void(widget->close());
        if (offered)
            *offered = input->comboBoxItems();
        input->setTextValue(text);
        accept ? input->accept() : input->reject();
    };
}

ModalWatcher::Handler in_dialog(std::function<void(DependenciesDialog *, DependenciesWidget *)> action)
{
    return [action](QWidget *widget) {
        auto *dialog = qobject_cast<DependenciesDialog *>(widget);
        dialog ? action(dialog, dialog->dependencies_widget()) : void(widget->close());
    };
}

QPushButton *button(const QDialog *dialog, const QString &text)
{
    for (QPushButton *candidate : dialog->findChildren<QPushButton *>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

} // namespace

class TestDependencies : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void dialog_shows_fields_and_the_dependency_tree();
    void context_menu_depends_on_the_row();
    void adding_a_dependency_checks_the_name_data();
    void adding_a_dependency_checks_the_name();
    void kinds_and_optional_marks_are_edited();
    void applying_writes_and_registers_data();
    void applying_writes_and_registers();
    void closing_without_applying_data();
    void closing_without_applying();
    void failures_are_reported_data();
    void failures_are_reported();
    void missing_item_opens_nothing();

private:
    std::unique_ptr<TestRoot> root;
    std::unique_ptr<TestTable> table;
    ModalWatcher *watcher = nullptr;
    std::unique_ptr<DependenciesDialog> dialog;
    DependenciesWidget *widget = nullptr;
};

// web has links, lone has none. A shown dialog for web serves the widget's tests.
void TestDependencies::init()
{
    root = std::make_unique<TestRoot>();
    root->write_config("$network networking +ifupdown $network\n$remote_fs $local_fs nfs\n"
                       "$local_fs mountall +mountall\n");
    root->add_script("web", {"Provides: web web-alias", "Required-Start: $network +opt bar",
                             "Short-Description: Example", "Description: Serves <b>pages</b>",
                             "Default-Start: 2 3 4 5", "X-Empty:", "Should-Stop: $remote_fs"});
    root->add_script("lone", {"Provides: lone", "Required-Start: bar"});
    QStringList listing{"S:02:2:web", "S:03:2:lone"};
    for (const QString name : {"bar", "opt", "networking", "ifupdown", "mountall", "nfs"}) {
        root->add_script(name, {"Provides: " + name});
        listing << "S:01:2:" + name;
    }
    root->add_link("2", "S02web");
    root->insserv().set_listing(listing);
    table = std::make_unique<TestTable>();
    QVERIFY(table->load());
    root->insserv().clear_calls();
    watcher = new ModalWatcher;
    watcher->setParent(table.get());
    dialog = std::make_unique<DependenciesDialog>(table.get(), "web");
    widget = dialog->dependencies_widget();
    dialog->show();
}

void TestDependencies::cleanup()
{
    dialog.reset();
    table.reset();
    root.reset();
}

void TestDependencies::dialog_shows_fields_and_the_dependency_tree()
{
    QCOMPARE(dialog->windowTitle(), "web");
    const auto *form = dialog->findChild<QFormLayout *>();
    QStringList rows;
    for (int row = 0; row < form->rowCount(); ++row) {
        for (const auto role : {QFormLayout::LabelRole, QFormLayout::FieldRole}) {
            const auto *label = qobject_cast<QLabel *>(form->itemAt(row, role)->widget());
            rows << label->text() + (label->textFormat() == Qt::PlainText ? "" : " (markup)");
        }
    }
    QCOMPARE(rows, QStringList({"Provides:", "web web-alias", "Short-Description:", "Example", "Description:",
                                "Serves <b>pages</b>"}));

    QCOMPARE(tree(qobject_cast<QStandardItemModel *>(widget->model())->invisibleRootItem()),
             QStringList({required, "  $network", "    networking", "    +ifupdown", "  +opt", "  bar",
                          "Should-Stop (Should-Stop)", "  $remote_fs", "    $local_fs", "      mountall", "    nfs"}));
    // Read back as the override writer reads it: keys, order and optional marks.
    QCOMPARE(add_deps(widget->collect_dependencies()),
             HeaderPairs({{"Required-Start", "$network +opt bar"}, {"Should-Stop", "$remote_fs"}}));
    QCOMPARE(item(widget, "opt")->foreground(), QBrush(QColor(40, 250, 40, 255), Qt::SolidPattern));

    QVERIFY(!button(dialog.get(), "Apply")->isEnabled() && !widget->modified());
    widget->delete_dependency(item(widget, required));
    QVERIFY(button(dialog.get(), "Apply")->isEnabled() && widget->modified());
    QCOMPARE(add_deps(widget->collect_dependencies()), HeaderPairs({{"Should-Stop", "$remote_fs"}}));
    button(dialog.get(), "Cancel")->click();
    QVERIFY(dialog->cancelled());
}

void TestDependencies::context_menu_depends_on_the_row()
{
    widget->expand(item(widget, "$network")->index());
    for (const QString row : {"", "Should-Stop (Should-Stop)", "$network", "bar"}) {
        watcher->expect_menu(QString());
        right_click(widget, row);
    }
    right_click(widget, "networking");
    widget->collapse(item(widget, "$network")->index());
    watcher->expect_menu(QString());
    QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, point_of(widget, "$network"));
    QCOMPARE(watcher->menus, QList<QStringList>({{"Add dependency kind"}, {"Add dependency", "Remove dependency kind"},
                                                 {"Remove dependency"}, {"Is optional", "Remove dependency"},
                                                 {"Remove dependency"}}));
    QVERIFY(!widget->isExpanded(item(widget, "$network")->index()));
    QVERIFY(watcher->unexpected.isEmpty() && !widget->modified());
}

void TestDependencies::adding_a_dependency_checks_the_name_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("added");
    const QString exists = "Dependency exists: \"%1\" dependency already exists.";
    QTest::newRow("new") << "nfs" << true << "" << "nfs";
    QTest::newRow("plus marks optional") << "+nfs" << true << "" << "+nfs";
    QTest::newRow("listed") << "bar" << true << exists.arg("bar") << "";
    QTest::newRow("listed as optional") << "+opt" << true << exists.arg("opt") << "";
    QTest::newRow("own name") << "web" << true << exists.arg("web") << "";
    QTest::newRow("provided") << "web-alias" << true << exists.arg("web-alias") << "";
    QTest::newRow("blank inside") << "a b" << true << "Invalid dependency: Invalid dependency." << "";
    QTest::newRow("plus alone") << "+" << true << "Invalid dependency: Invalid dependency." << "";
    QTest::newRow("empty") << "" << true << "" << "";
    QTest::newRow("cancelled") << "nfs" << false << "" << "";
}

void TestDependencies::adding_a_dependency_checks_the_name()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(QString, warning);
    QFETCH(QString, added);
    QStringList offered;
    watcher->expect_menu("Add dependency");
    watcher->expect(answer(typed, accepted, &offered));
    if (!warning.isEmpty())
        watcher->expect_message(QMessageBox::Ok);
    right_click(widget, required);

    QCOMPARE(offered, QStringList({"$local_fs", "$remote_fs", "ifupdown", "lone", "mountall", "networking", "nfs"}));
    QCOMPARE(watcher->titles.value(0) + (warning.isEmpty() ? "" : ": ") + watcher->texts.value(0), warning);
    QCOMPARE(tree(item(widget, required)).mid(5), added.isEmpty() ? QStringList() : QStringList{added});
    QCOMPARE(widget->modified(), !added.isEmpty());
}

void TestDependencies::kinds_and_optional_marks_are_edited()
{
    watcher->expect_menu("Add dependency kind");
    watcher->expect(answer("X-Stop-After", false));
    right_click(widget, "");
    QVERIFY(!widget->modified());
    QStringList offered;
    watcher->expect_menu("Add dependency kind");
    watcher->expect(answer("X-Stop-After", true, &offered));
    right_click(widget, "");
    QCOMPARE(offered, QStringList({"Required-Stop", "Should-Start", "X-Start-Before", "X-Stop-After"}));
    QCOMPARE(widget->model()->index(2, 0).data(), "X-Stop-After (X-Stop-After)");
    QCOMPARE(add_deps(widget->collect_dependencies()).last(), qMakePair(QString("X-Stop-After:"), QString()));
    for (const char *keyword : {"Required-Stop", "Should-Start", "X-Start-Before"}) {
        watcher->expect(answer(keyword));
        widget->add_dependency_keyword();
    }
    watcher->expect_message(QMessageBox::Ok);
    widget->add_dependency_keyword();
    QCOMPARE(watcher->texts, QStringList{"All possible keywords is used"});

    QSignalSpy changes(widget, &DependenciesWidget::dependencies_changed);
    watcher->expect_menu("Is optional");
    right_click(widget, "bar");
    QCOMPARE(item(widget, "bar")->foreground().color(), QColor(40, 250, 40, 255));
    QCOMPARE(add_deps(widget->collect_dependencies()).first().second, "$network +opt +bar");
    watcher->expect_menu("Is optional");
    right_click(widget, "bar");
    QCOMPARE(item(widget, "bar")->foreground(), QBrush(widget->palette().color(QPalette::Text), Qt::SolidPattern));
    QCOMPARE(changes.size(), 2);
    QVERIFY(watcher->unexpected.isEmpty() && watcher->pending() == 0);
}

void TestDependencies::applying_writes_and_registers_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("linked") << "web" << web_override.arg("# Required-Start: $network +opt bar nfs\n")
                            << QStringList({"--remove --force web", "web"});
    QTest::newRow("unlinked") << "lone"
                              << "### BEGIN INIT INFO\n# Provides: lone\n# Required-Start: bar nfs\n### END INIT INFO\n"
                              << QStringList{"--dryrun lone"};
}

void TestDependencies::applying_writes_and_registers()
{
    QFETCH(QString, service);
    QFETCH(QString, content);
    QFETCH(QStringList, calls);
    QSignalSpy restarts(table.get(), &ServiceTable::need_restart);
    watcher->expect(in_dialog([this](DependenciesDialog *shown, DependenciesWidget *tree) {
        watcher->expect_menu("Add dependency");
        watcher->expect(answer("nfs"));
        right_click(tree, required);
        button(shown, "Apply")->click();
    }));
    table->edit_service(table->cell(service, 0));
    QCOMPARE(root->read_file("etc/insserv/overrides/" + service), content.toUtf8());
    QCOMPARE(root->insserv().calls(), calls);
    QCOMPARE(restarts.size(), 1);
    QVERIFY(watcher->unexpected.isEmpty() && watcher->pending() == 0);
}

void TestDependencies::closing_without_applying_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");
    QTest::newRow("close unchanged") << false << 0 << 0;
    QTest::newRow("escape unchanged") << false << int(Qt::Key_Escape) << 0;
    QTest::newRow("cancel after a change") << true << 0 << 0;
    QTest::newRow("escape after a change, No") << true << int(Qt::Key_Escape) << int(QMessageBox::No);
    QTest::newRow("escape after a change, Yes") << true << int(Qt::Key_Escape) << int(QMessageBox::Yes);
}

void TestDependencies::closing_without_applying()
{
    QFETCH(bool, change);
    QFETCH(int, key);
    QFETCH(int, answer);
    QSignalSpy restarts(table.get(), &ServiceTable::need_restart);
    watcher->expect(in_dialog([=](DependenciesDialog *shown, DependenciesWidget *tree) {
        if (change)
            tree->delete_dependency(item(tree, required));
        key ? QTest::keyClick(shown, Qt::Key(key)) : button(shown, change ? "Cancel" : "Close")->click();
    }));
    QString question;
    if (answer) {
        watcher->expect([&question, answer](QWidget *widget) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            const bool no_first = box->defaultButton() == box->button(QMessageBox::No);
            question = box->windowTitle() + ": " + box->text() + (no_first ? " [No]" : "");
            box->button(QMessageBox::StandardButton(answer))->click();
        });
    }
    table->edit_service(table->cell("web", 0));
    QCOMPARE(question, answer ? "Service changes: Apply changes? [No]" : "");
    QVERIFY(watcher->unexpected.isEmpty() && watcher->pending() == 0);
    const bool applied = answer == QMessageBox::Yes;
    QCOMPARE(QString::fromUtf8(root->read_file("etc/insserv/overrides/web")), applied ? web_override.arg("") : "");
    QCOMPARE(root->insserv().calls(), applied ? QStringList({"--remove --force web", "web"}) : QStringList());
    QCOMPARE(restarts.size(), applied ? 1 : 0);
}

void TestDependencies::failures_are_reported_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("override unwritable") << "unwritable" << "Error while overriding dependencies" << QStringList();
    QTest::newRow("no overrides directory")
        << "missing" << "Overrides directory \"%1/etc/insserv/overrides\" does not exist." << QStringList();
    QTest::newRow("insserv fails") << "insserv" << "An error has occured on processing \"web\"  service: loop\n"
                                   << QStringList{"--remove --force web"};
}

void TestDependencies::failures_are_reported()
{
    QFETCH(QString, failure);
    QFETCH(QString, text);
    QFETCH(QStringList, calls);
    if (failure == "insserv") {
        root->insserv().set_behaviour("web", "exit 1");
        root->insserv().set_stderr("web", "loop\n");
    }
    QSignalSpy restarts(table.get(), &ServiceTable::need_restart);
    // The override location breaks while the dialog is open, after the header was read.
    watcher->expect(in_dialog([&](DependenciesDialog *shown, DependenciesWidget *tree) {
        tree->delete_dependency(item(tree, "bar"));
        if (failure == "unwritable")
            QDir().mkpath(root->path("etc/insserv/overrides/web"));
        if (failure == "missing")
            QDir(root->path("etc/insserv/overrides")).removeRecursively();
        button(shown, "Apply")->click();
    }));
    watcher->expect_message(QMessageBox::Ok);
    table->edit_service(table->cell("web", 0));
    QCOMPARE(watcher->titles, QStringList{"Error"});
    QCOMPARE(watcher->texts, QStringList{text.contains("%1") ? text.arg(root->path()) : text});
    QCOMPARE(root->insserv().calls(), calls);
    QCOMPARE(restarts.size(), 1);
}

void TestDependencies::missing_item_opens_nothing()
{
    QStringList titles;
    const auto close = in_dialog([&titles](DependenciesDialog *shown, DependenciesWidget *) {
        titles << shown->windowTitle();
        shown->reject();
    });
    watcher->expect(close);
    table->toggle_item(table->cell("web", 0));
    watcher->expect(close);
    table->setCurrentItem(table->level_cell("lone", "2"));
    table->edit_service(nullptr);
    QCOMPARE(titles, QStringList({"web", "lone"}));

    QSignalSpy restarts(table.get(), &ServiceTable::need_restart);
    table->setCurrentItem(nullptr);
    table->edit_service(nullptr);
    ServiceTable().edit_service(nullptr);
    QVERIFY(watcher->unexpected.isEmpty() && restarts.isEmpty());
}

QTEST_MAIN(TestDependencies)
#include "tst_dependencies.moc"
