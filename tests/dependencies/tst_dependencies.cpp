#include "dependencies/dependencies_dialog.h"
#include "dependencies/dependencies_widget.h"
#include "table/colour_contrast.h"
#include "tests/support/fixture.h"

namespace {

// Lists the scripts, each a name and its header fields; the first `linked` of them get a link.
void install(TestRoot &root, const QList<QStringList> &scripts, int linked)
{
    QStringList listing;
    for (int index = 0; index < scripts.size(); ++index) {
        root.add_script(scripts[index][0], scripts[index].mid(1));
        listing << "S:10:2:" + scripts[index][0];
        if (index < linked)
            root.add_links("2", "S10" + scripts[index][0]);
    }
    root.set_listing(listing);
}

// "service colour, ...": a colour is named by its hue, and only where it reads on the table's base;
// "plain" is the palette's own text colour.
QString painted(const QList<QTableWidgetItem *> &cells)
{
    static const QHash<int, QString> hues{{QColor(40, 250, 40).hslHue(), "green"},
                                          {QColor(250, 0, 0).hslHue(), "red"},
                                          {QColor(250, 127, 80).hslHue(), "coral"},
                                          {QColor(30, 90, 220).hslHue(), "blue"},
                                          {QColor(120, 150, 200).hslHue(), "light blue"}};
    QStringList result;
    for (const QTableWidgetItem *cell : cells) {
        const QColor colour = cell->foreground().color();
        const QColor base = cell->tableWidget()->palette().color(QPalette::Base);
        QString name = "plain";
        for (auto hue = hues.cbegin(); hue != hues.cend() && cell->data(Qt::ForegroundRole).isValid(); ++hue) {
            if (std::abs(hue.key() - colour.hslHue()) <= 1)
                name = hue.value();
        }
        result << cell->data(ServiceTable::ServiceNameRole).toString() + ' '
                + (contrast_ratio(colour, base) >= 4.5 ? name : "faint");
    }
    return result.join(", ");
}

QModelIndex find(const DependenciesWidget *widget, const QString &text)
{
    return widget->model()->match(widget->model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchRecursive).value(0);
}

// A right click on the row with this text, or below the rows for "".
void right_click(DependenciesWidget *widget, const QString &text)
{
    const QModelIndex index = find(widget, text);
    const QPoint pointer
        = index.isValid() ? widget->visualRect(index).center() : QPoint(5, widget->viewport()->height() - 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pointer, widget->viewport()->mapToGlobal(pointer));
    QCoreApplication::sendEvent(widget->viewport(), &event);
}

// Answers the next input dialog with a text, or cancels it for a null text.
ModalWatcher::Handler answer(const QString &text)
{
    return [text](QWidget *shown) {
        auto *input = qobject_cast<QInputDialog *>(shown);
        input->setTextValue(text);
        text.isNull() ? input->reject() : input->accept();
    };
}

} // namespace

class TestDependencies : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRoot> root;
    std::unique_ptr<TestTable> table;
    std::unique_ptr<ModalWatcher> watcher;

    // Selects the services in this order and highlights their dependencies.
    QString highlight(const QString &selected)
    {
        table->clearSelection();
        for (const QString &name : selected.split(", "))
            table->setCurrentItem(table->cell(name, 0), QItemSelectionModel::Select);
        table->highlight_services_dependencies(true);
        return painted(table->highlighted_items);
    }

private slots:
    // The first eight scripts are linked. exim sorts before zmailer in the table, but zmailer, linked,
    // comes first in the load order and so owns "mta". A script without "Provides" provides an empty name.
    void init()
    {
        root = std::make_unique<TestRoot>();
        root->write_file("etc/insserv.conf",
                         "$remote_fs gamma +delta\n$network networking +ifupdown $network +ifupdown\n");
        install(*root,
                {{"zmailer", "Provides: mta"},
                 {"gamma"},
                 {"networking", "Provides: network"},
                 {"beta"},
                 {"alpha", "Required-Start: $remote_fs +beta", "Should-Start: user"},
                 {"other", "Required-Start: beta"},
                 {"user", "Required-Start: network offline mta $undefined"},
                 {"web", "Provides: web web-alias", "Required-Start: $network +opt bar",
                  "Description: Serves <b>pages</b>", "Should-Stop: $remote_fs"},
                 {"offline"},
                 {"exim", "Provides: mta", "Required-Start: beta"},
                 {"gap", "Required-Start: beta  gamma"},
                 {"delta"},
                 {"lone", "Provides: lone", "Required-Start: bar"}},
                8);
        table = std::make_unique<TestTable>();
        QVERIFY(table->load());
        root->clear_calls();
        watcher = std::make_unique<ModalWatcher>();
    }

    // Every modal widget was expected and answered.
    void cleanup()
    {
        QVERIFY(watcher->unexpected.isEmpty() && watcher->pending() == 0);
    }

    // Only Required-Start counts: a facility's members, optional ones green, and provided names, in the
    // colour of their provider's state (coral, or red when disabled: unlinked or switched off). A name
    // listed twice keeps the colour of its later listing. "beta  gamma" (two blanks) holds an empty name,
    // which must not reach a script without "Provides". Switching off gives the cells back their text colour.
    void highlighting_colours_required_start_dependencies()
    {
        QCOMPARE(highlight("user"), "networking coral, offline red, zmailer coral, alpha light blue");
        QCOMPARE(highlight("gap"), "beta coral, gamma coral");
        QCOMPARE(highlight("other, alpha"), "beta green, gamma coral, delta green, beta green");
        const QList<QTableWidgetItem *> cells = table->highlighted_items;
        table->highlight_services_dependencies(false);
        QCOMPARE(painted(cells), "beta plain, gamma plain, delta plain, beta plain");
        QCOMPARE(highlight("alpha"), "gamma coral, delta green, beta green");
        table->toggle_item(table->cell("gamma", 1));
        QCOMPARE(highlight("alpha"), "gamma red, delta green, beta green");

        // A single service also colours what requires it: blue, lighter for "+" and Should-Start,
        // through aliases and facilities; the sentence in the status bar says what both colours mean.
        QCOMPARE(highlight("beta"), "alpha light blue, exim blue, gap blue, other blue");
        const auto plain
            = [this] { return QTextDocumentFragment::fromHtml(table->dependency_summary()).toPlainText(); };
        QCOMPARE(plain(), "beta requires 0 services; 3 services require beta; 1 more starts after it when it runs "
                          "(Should-Start)");
        QCOMPARE(highlight("networking"), "user blue, web blue");
        QCOMPARE(highlight("user").section(", ", 3), "alpha light blue");
        QCOMPARE(plain(), "user requires 3 services; 0 services require user; 1 more starts after it when it runs "
                          "(Should-Start)");
        QPalette dark = table->palette();
        dark.setColor(QPalette::Base, QColor(35, 38, 41));
        table->setPalette(dark);
        QCOMPARE(highlight("beta"), "alpha light blue, exim blue, gap blue, other blue");
        QCOMPARE(highlight("other, alpha"), "beta green, gamma red, delta green, beta green");
        QCOMPARE(table->dependency_summary(), QString());
    }

    // Header values show as written, never as markup. A facility's members show once each, also where it
    // lists itself or a member twice. A member row has no menu; a double click opens the row's menu.
    // Cancelling a new kind is no change. Switching "Is optional" twice restores the palette's text colour.
    void dialog_shows_and_edits_the_dependencies()
    {
        DependenciesDialog dialog(table.get(), "web");
        DependenciesWidget *widget = dialog.dependencies_widget();
        dialog.show();
        QStringList labels;
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            labels << label->text() + (label->textFormat() == Qt::PlainText ? "" : " (markup)");
        QCOMPARE(labels.join(", "),
                 "Provides:, web web-alias, Description:, Serves <b>pages</b>, Required by no service");
        QCOMPARE(widget->model()->rowCount(find(widget, "$network")), 2);

        widget->expand(find(widget, "$network"));
        for (int menu = 0; menu < 4; ++menu)
            watcher->expect_menu(QString());
        for (const QString row : {"", "Should-Stop (Should-Stop)", "bar", "networking"})
            right_click(widget, row);
        QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {},
                           widget->visualRect(find(widget, "$network")).center());
        QCOMPARE(watcher->menus,
                 QList<QStringList>({{"Add dependency kind"},
                                     {"Add dependency", "Remove dependency kind"},
                                     {"Is optional", "Remove dependency"},
                                     {"Remove dependency"}}));

        watcher->expect(answer(QString()));
        widget->add_dependency_keyword();
        QVERIFY(!widget->modified());
        for (const QString keyword : {"X-Stop-After", "Required-Stop", "Should-Start", "X-Start-Before"})
            watcher->expect(answer(keyword));
        watcher->expect_message(QMessageBox::Ok);
        for (int attempt = 0; attempt < 5; ++attempt)
            widget->add_dependency_keyword();
        QCOMPARE(watcher->texts, QStringList{"All possible keywords is used"});

        for (int toggle = 0; toggle < 2; ++toggle) {
            watcher->expect_menu("Is optional");
            right_click(widget, "bar");
        }
        QCOMPARE(qvariant_cast<QBrush>(find(widget, "bar").data(Qt::ForegroundRole)),
                 QBrush(widget->palette().color(QPalette::Text), Qt::SolidPattern));

        // Beside the fields it edits, what requires the service, read only, "+" and Should-Start in italics.
        DependenciesDialog required(table.get(), "beta");
        QStringList dependants;
        const QListWidget *list = required.findChild<QListWidget *>("required by");
        for (int row = 0; row < list->count(); ++row)
            dependants << list->item(row)->text() + (list->item(row)->font().italic() ? " (italic)" : "");
        QCOMPARE(dependants.join(", "), "alpha (Required-Start) (italic), exim (Required-Start), gap (Required-Start), "
                                        "other (Required-Start)");
        QCOMPARE(DependenciesDialog(table.get(), "networking").findChild<QListWidget *>("required by")->item(1)->text(),
                 "web (Required-Start: $network)");
        QVERIFY(list->selectionMode() == QAbstractItemView::NoSelection);
    }

    void editing_a_service_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("written");
        // web's header starts it nowhere, but it has a start link in 2, which it keeps.
        const auto web = [](const QString &added) {
            return QString(TestRoot::header({"Provides: web web-alias", "Description: Serves <b>pages</b>",
                                             "Required-Start: $network +opt bar " + added, "Should-Stop: $remote_fs",
                                             "Default-Start: 2"}));
        };
        // Tried on a copy first, where insserv then checks the whole setup; then the same steps on the machine.
        const QString tried = "--remove --force web, web, -s";
        const QString relinked = tried + ", --remove --force web, web, need_restart";
        const QString confirm = "Write the new dependencies of %1 and register it again?, ";
        const QString unknown = "No service provides \"sshh\", and the insserv configuration has no facility of that "
                                "name: insserv will refuse it.\n\nAdd it anyway?";
        QTest::newRow("linked; + marks optional")
            << "web"
            << "add gamma, add +mta, Yes, Apply"
            << confirm.arg("web") + "+# Required-Start: $network +opt bar gamma +mta, " + relinked << web("gamma +mta");
        QTest::newRow("unlinked, unknown name corrected") << "lone" << "add sshh>gamma, Yes, Apply"
            << unknown + ", " + confirm.arg("lone") + "+# Required-Start: bar gamma, -s, need_restart"
            << QString(TestRoot::header({"Provides: lone", "Required-Start: bar gamma"}));
        QTest::newRow("preview declined: nothing written, the edit still open") << "web" << "add gamma, No, Apply"
            << confirm.arg("web") + "+# Required-Start: $network +opt bar gamma, open, " + tried << "";
        QTest::newRow("write fails on the copy: nothing written, the edit still open")
            << "web" << "add gamma, break, Ok, Apply"
            << "The changes were tried on a copy of the boot configuration first, and nothing was changed on this "
               "machine:\n\nError while overriding dependencies, +# Required-Start: $network +opt bar gamma, open, -s"
            << "";
        QTest::newRow("unchanged") << "web" << "Close" << "" << "";
        QTest::newRow("cancelled") << "web" << "add gamma, Cancel" << "" << "";
        QTest::newRow("escape, Cancel: the edit still open") << "web" << "add gamma, Cancel?, Escape"
                                                              << "Apply changes?, open" << "";
        QTest::newRow("escape, No") << "web" << "add gamma, No, Escape" << "Apply changes?" << "";
        QTest::newRow("escape, Yes, unknown name kept") << "web" << "add sshh?, Yes, Yes, Escape"
            << unknown + ", Apply changes?, " + confirm.arg("web") + "+# Required-Start: $network +opt bar sshh, "
               + relinked << web("sshh");
        QTest::newRow("listed, own name, blank inside")
            << "web"
            << "add bar!, add web-alias!, add a b!, Close"
            << "\"bar\" dependency already exists., \"web-alias\" dependency already exists., Invalid dependency."
            << "";
        QTest::newRow("own script name, not among its provided names") << "exim" << "add exim!, Close"
                                                                        << "\"exim\" dependency already exists." << "";
    }

    // The dialog opens for the current cell's service. Steps: "add NAME" types a name into "Add dependency"
    // of Required-Start ("!" answers the warning that follows; "?" insists on an unknown name, ">OTHER"
    // corrects it to OTHER), "break" makes the override unwritable,
    // "Escape" presses the key, "Ok", "Yes" and "No" answer the next message box, anything else presses
    // that button ("Cancel?" answers the next message box with Cancel); an answer comes before the step that
    // asks. The outcome: the messages with the lines a preview adds, "open" for a dialog still open after
    // the steps, the insserv calls, whether a restart was asked for.
    // The override holds what the widget collected, facility members left out, the new dependency lines at
    // the end of the block. Afterwards, with no current cell, nothing opens.
    void editing_a_service()
    {
        QFETCH(QString, service);
        QFETCH(QString, steps);
        QFETCH(QString, outcome);
        QFETCH(QString, written);
        QSignalSpy restarts(table.get(), &ServiceTable::need_restart);
        bool still_open = false;
        watcher->expect([&](QWidget *shown) {
            auto *dialog = qobject_cast<DependenciesDialog *>(shown);
            for (const QString &step : steps.split(", ")) {
                if (step.startsWith("add ")) {
                    watcher->expect_menu("Add dependency");
                    watcher->expect(answer(step.mid(4).section('>', 0, 0).remove('!').remove('?')));
                    if (step.endsWith('!') || step.endsWith('?'))
                        watcher->expect_message(step.endsWith('!') ? QMessageBox::Ok : QMessageBox::Yes);
                    if (step.contains('>')) {
                        watcher->expect_message(QMessageBox::No);
                        watcher->expect(answer(step.section('>', 1)));
                    }
                    right_click(dialog->dependencies_widget(), "Required-Start (Required-Start)");
                }
                if (step == "break")
                    QDir().mkpath(root->path("etc/insserv/overrides/" + service));
                if (step == "Escape")
                    QTest::keyClick(dialog, Qt::Key_Escape);
                const QMap<QString, QMessageBox::StandardButton> answers{{"Ok", QMessageBox::Ok},
                                                                         {"Yes", QMessageBox::Yes},
                                                                         {"No", QMessageBox::No},
                                                                         {"Cancel?", QMessageBox::Cancel}};
                if (answers.contains(step))
                    watcher->expect_message(answers.value(step));
                for (QPushButton *button : dialog->findChildren<QPushButton *>())
                    if (button->text() == step)
                        button->click();
            }
            if (dialog->isVisible()) { // steps that leave it open must not hang the test
                still_open = true;
                dialog->cancel();
            }
        });
        table->setCurrentItem(table->level_cell(service, "2"));
        table->edit_service(nullptr);
        table->setCurrentItem(nullptr);
        table->edit_service(nullptr);
        // Enter goes on after a preview, but leaves an edit open when the dialog was merely escaped.
        QStringList said;
        for (int box = 0; box < watcher->texts.size(); ++box) {
            said << watcher->texts[box]
                 << watcher->details[box].split('\n').filter(QRegularExpression("^\\+# Required"));
            if (watcher->texts[box].startsWith("Apply changes?") || watcher->texts[box].startsWith("Write"))
                QCOMPARE(watcher->defaults[box],
                         watcher->texts[box].startsWith("W") ? QMessageBox::Yes : QMessageBox::Cancel);
        }
        if (still_open)
            said << "open";
        const QString restarted = QString(", need_restart").repeated(restarts.size());
        QCOMPARE((said + root->calls()).join(", ") + restarted, outcome);
        QCOMPARE(QString(root->read_file("etc/insserv/overrides/" + service)), written);
    }
};

QTEST_MAIN(TestDependencies)
#include "tst_dependencies.moc"
