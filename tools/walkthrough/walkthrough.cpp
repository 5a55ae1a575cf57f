// Walks through a session with the real window and saves a screenshot of each
// step. Run it through tools/take-screenshots, which starts it under Xvfb on the
// sample system in its private mount namespace.
#include "app/admin_runlevel.h"
#include "app/find_service_dialog.h"
#include "app/translations.h"
#include "dependencies/boot_order_view.h"
#include "dependencies/boot_order_window.h"
#include "apply/package_lock.h"
#include "catalogue/system_paths.h"
#include "dependencies/dependencies_widget.h"
#include "table/service_table.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGraphicsItem>
#include <QInputDialog>
#include <QLayout>
#include <QPushButton>
#include <QStandardItemModel>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QStatusBar>
#include <QToolButton>
#include <QToolTip>

#include <functional>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString output_dir;

// The part of the screen that holds every visible window: menus and dialogs too.
void shoot(const QString &name)
{
    QTest::qWait(200);
    QRect area;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            area |= widget->frameGeometry();
    }
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(),
                                                                        area.height());
    shot.save(QDir(output_dir).filePath(name + QStringLiteral(".png")));
}

// The next modal dialog, box or menu other than the one already open goes to handle.
void when_modal(const std::function<void(QWidget *)> &handle, QWidget *open = nullptr)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, handle, open] {
        QWidget *widget = QApplication::activePopupWidget();
        if (!widget)
            widget = QApplication::activeModalWidget();
        // Progress of a long operation is no step of its own.
        if (!widget || !widget->isVisible() || widget == open || qobject_cast<QProgressDialog *>(widget))
            return;
        timer->stop();
        timer->deleteLater();
        handle(widget);
    });
    timer->start(50);
}

// Runs opener, which blocks in a modal dialog, box or menu; handle gets that one.
void with_modal(const std::function<void()> &opener, const std::function<void(QWidget *)> &handle)
{
    when_modal(handle);
    opener();
}

void press(QWidget *box, QMessageBox::StandardButton button)
{
    qobject_cast<QMessageBox *>(box)->button(button)->click();
}

// Shoots a question box, answers Yes, then shoots and closes the box that follows.
void confirm_then_shoot_result(QWidget *question, const QString &question_shot, const QString &result_shot)
{
    shoot(question_shot);
    when_modal(
        [result_shot](QWidget *result) {
            shoot(result_shot);
            press(result, QMessageBox::Ok);
        },
        question);
    press(question, QMessageBox::Yes);
}

// Opens the details of a message box, as a user checking a preview would.
void show_details(QWidget *box)
{
    for (QAbstractButton *details : box->findChildren<QAbstractButton *>()) {
        if (qobject_cast<QMessageBox *>(box)->buttonRole(details) == QMessageBox::ActionRole)
            details->click();
    }
    box->adjustSize();
}

QPushButton *button(QWidget *dialog, const QString &text)
{
    for (QPushButton *candidate : dialog->findChildren<QPushButton *>()) {
        if (candidate->text().remove(QLatin1Char('&')) == text)
            return candidate;
    }
    qFatal("no button %s", qPrintable(text));
}

QAction *action(QWidget *window, const QString &text)
{
    for (QAction *candidate : window->findChildren<QAction *>()) {
        if (candidate->text() == text)
            return candidate;
    }
    qFatal("no action %s", qPrintable(text));
}

class Walk
{
public:
    explicit Walk(AdminRunlevel &window)
        : window(window)
    {
    }

    // A replaced table lingers, out of the layout, until the event loop deletes it.
    ServiceTable *table() const
    {
        for (ServiceTable *candidate : window.findChildren<ServiceTable *>()) {
            if (window.centralWidget()->layout()->indexOf(candidate) >= 0)
                return candidate;
        }
        qFatal("no table");
    }

    QTableWidgetItem *cell(const QString &name, const QString &column) const
    {
        const int index = column == QLatin1String("name")    ? 0
                        : column == QLatin1String("start") ? 1
                        : column == QLatin1String("kill")  ? 10
                        : column == QLatin1String("S")     ? 2
                        : column == QLatin1String("0")     ? 9
                                                           : column.toInt() + 2;
        for (int row = 0; row < table()->rowCount(); ++row) {
            if (table()->item(row, 0)->data(ServiceTable::ServiceNameRole).toString() == name)
                return table()->item(row, index);
        }
        qFatal("no service %s", qPrintable(name));
    }

    void select(const QString &name, const QString &column)
    {
        table()->clearSelection();
        table()->setCurrentItem(cell(name, column));
        table()->scrollToItem(cell(name, column));
    }

    // The cells from the first service's row to the last one's, between two columns.
    void select_block(const QString &first, const QString &last, const QString &left, const QString &right)
    {
        select(first, left);
        const QTableWidgetSelectionRange block(cell(first, left)->row(), cell(first, left)->column(),
                                               cell(last, right)->row(), cell(last, right)->column());
        table()->setRangeSelected(block, true);
    }

    void trigger(const QString &text) { action(&window, text)->trigger(); }

    void context_menu(const QString &name)
    {
        const QRect rect = table()->visualItemRect(table()->currentItem());
        with_modal([&] { QMetaObject::invokeMethod(table(), "context_menu", Q_ARG(QPoint, rect.center())); },
                   [name](QWidget *menu) {
                       shoot(name);
                       menu->close();
                   });
    }

    void sort_and_filter(const QString &runlevel, Qt::SortOrder order)
    {
        const int column = table()->column(cell(QStringLiteral("cronwheel"), runlevel));
        table()->horizontalHeader()->setSortIndicator(column, order);
        table()->filter_items(column);
    }

    AdminRunlevel &window;
};

// The shot of pending changes has a selection over changed and unchanged cells in view.
void editing_steps(Walk &walk, const QString &suffix)
{
    shoot(QStringLiteral("main-window") + suffix);
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    walk.trigger(QStringLiteral("&Stop on level"));
    walk.select(QStringLiteral("dbstore"), QStringLiteral("3"));
    walk.trigger(QStringLiteral("&Ignore on level"));
    walk.select(QStringLiteral("printq"), QStringLiteral("start"));
    walk.trigger(QStringLiteral("&Enable service"));
    walk.select(QStringLiteral("logkeeper"), QStringLiteral("name"));
    walk.trigger(QStringLiteral("&Disable service"));
    walk.select_block(QStringLiteral("cronwheel"), QStringLiteral("dbstore"), QStringLiteral("3"), QStringLiteral("5"));
    walk.table()->scrollToTop();
    shoot(QStringLiteral("pending-changes") + suffix);
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    walk.context_menu(QStringLiteral("context-menu") + suffix);
}

void sorting_steps(Walk &walk)
{
    walk.sort_and_filter(QStringLiteral("2"), Qt::AscendingOrder);
    shoot(QStringLiteral("runlevel-2-start-order"));
    walk.sort_and_filter(QStringLiteral("2"), Qt::DescendingOrder);
    shoot(QStringLiteral("runlevel-2-kill-order"));
    walk.table()->filter_items(0);
    walk.table()->sortByColumn(0, Qt::AscendingOrder);
}

void find_and_edit_marks(Walk &walk)
{
    with_modal([&walk] { walk.trigger(QStringLiteral("&Find")); },
               [](QWidget *dialog) {
                   dialog->findChild<QLineEdit *>()->setText(QStringLiteral("CRON"));
                   button(dialog, QStringLiteral("Find"))->click();
                   shoot(QStringLiteral("walk-1-find"));
                   button(dialog, QStringLiteral("Close"))->click();
               });
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    walk.trigger(QStringLiteral("&Stop on level"));
    walk.select(QStringLiteral("namecache"), QStringLiteral("name"));
    walk.trigger(QStringLiteral("&Disable service"));
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    shoot(QStringLiteral("walk-2-pending"));
    with_modal([&walk] { walk.trigger(QStringLiteral("&Apply all changes")); },
               [](QWidget *question) {
                   shoot(QStringLiteral("walk-3-confirm"));
                   when_modal(
                       [](QWidget *result) {
                           shoot(QStringLiteral("walk-4-applied"));
                           // Disabling namecache, which runs, brings the offer to stop it now: declined.
                           when_modal([](QWidget *offer) { qobject_cast<QDialog *>(offer)->reject(); }, result);
                           press(result, QMessageBox::Ok);
                       },
                       question);
                   press(question, QMessageBox::Yes);
               });
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    shoot(QStringLiteral("walk-5-rebuilt"));
}

// Adds the database to the third kind of dependency, Should-Start, through the
// editor's own dialog.
void add_dependency(QWidget *dialog)
{
    auto *widget = dialog->findChild<DependenciesWidget *>();
    auto *model = qobject_cast<QStandardItemModel *>(widget->model());
    when_modal(
        [](QWidget *input) {
            qobject_cast<QInputDialog *>(input)->setTextValue(QStringLiteral("dbstore"));
            qobject_cast<QInputDialog *>(input)->accept();
        },
        dialog);
    widget->add_dependency(model->item(2));
    widget->expandAll();
    widget->scrollTo(model->item(2)->child(model->item(2)->rowCount() - 1)->index());
}

// A change stays pending while the dependencies are written, so that the
// reload which follows asks first; the preview comes before anything is written.
void edit_and_reset(Walk &walk)
{
    walk.select(QStringLiteral("printq"), QStringLiteral("start"));
    walk.trigger(QStringLiteral("&Enable service"));
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("name"));
    with_modal([&walk] { walk.trigger(QStringLiteral("&Edit")); },
               [](QWidget *dialog) {
                   dialog->findChild<DependenciesWidget *>()->expandAll();
                   shoot(QStringLiteral("walk-6-dependencies"));
                   add_dependency(dialog);
                   shoot(QStringLiteral("walk-7-dependency-added"));
                   when_modal(
                       [dialog](QWidget *preview) {
                           show_details(preview);
                           shoot(QStringLiteral("dependencies-preview"));
                           when_modal([](QWidget *question) {
                               shoot(QStringLiteral("walk-8-reload-question"));
                               press(question, QMessageBox::Yes);
                           },
                                      dialog);
                           press(preview, QMessageBox::Yes);
                       },
                       dialog);
                   button(dialog, QStringLiteral("Apply"))->click();
               });
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("name"));
    with_modal([&walk] { walk.trigger(QStringLiteral("&Reset to defaults")); },
               [](QWidget *question) {
                   confirm_then_shoot_result(question, QStringLiteral("walk-9-reset-confirm"),
                                             QStringLiteral("walk-10-reset-done"));
               });
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    shoot(QStringLiteral("walk-11-after-reset"));
}

// Rows that are off (printq and webhall disabled the Debian way, webhall with an
// override), the status bar of a header filter, and what an apply will do.
void states_steps(Walk &walk)
{
    walk.select(QStringLiteral("webhall"), QStringLiteral("name"));
    QToolTip::showText(
        walk.table()->viewport()->mapToGlobal(walk.table()->visualItemRect(walk.table()->currentItem()).center()),
        walk.table()->currentItem()->toolTip(), walk.table()->viewport());
    shoot(QStringLiteral("disabled-and-override"));
    QToolTip::hideText();
    const int column = walk.table()->column(walk.cell(QStringLiteral("cronwheel"), QStringLiteral("2")));
    QHeaderView *header = walk.table()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(column) + 5, 5));
    shoot(QStringLiteral("filtered-status-bar"));
    walk.trigger(QStringLiteral("&Reload"));
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    walk.trigger(QStringLiteral("&Stop on level"));
    walk.select(QStringLiteral("printq"), QStringLiteral("start"));
    walk.trigger(QStringLiteral("&Enable service"));
    with_modal([&walk] { walk.trigger(QStringLiteral("&Apply all changes")); },
               [](QWidget *question) {
                   show_details(question);
                   shoot(QStringLiteral("apply-preview"));
                   press(question, QMessageBox::No);
               });
}

// What a Russian-speaking user sees: the window, the context menu, the find
// dialog, the dependencies dialog and the apply question.
void russian_steps(Walk &walk, const QString &suffix)
{
    shoot(QStringLiteral("ru-main-window") + suffix);
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    walk.context_menu(QStringLiteral("ru-context-menu") + suffix);
    with_modal([&walk] { walk.trigger(QCoreApplication::translate("AdminRunlevel", "&Find")); },
               [suffix](QWidget *dialog) {
                   dialog->findChild<QLineEdit *>()->setText(QStringLiteral("cron"));
                   shoot(QStringLiteral("ru-find") + suffix);
                   dialog->close();
               });
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("name"));
    with_modal([&walk] { walk.trigger(QCoreApplication::translate("AdminRunlevel", "&Edit")); },
               [suffix](QWidget *dialog) {
                   shoot(QStringLiteral("ru-dependencies") + suffix);
                   dialog->close();
               });
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    walk.trigger(QCoreApplication::translate("AdminRunlevel", "&Stop on level"));
    with_modal([&walk] { walk.trigger(QCoreApplication::translate("AdminRunlevel", "&Apply all changes")); },
               [suffix](QWidget *question) {
                   shoot(QStringLiteral("ru-apply-question") + suffix);
                   press(question, QMessageBox::No);
               });
}

// Every service's state now has been asked and shown.
void wait_for_states(Walk &walk)
{
    const auto known = [&walk] {
        for (int row = 0; row < walk.table()->rowCount(); ++row) {
            if (!walk.table()->item(row, 0)->data(ServiceTable::RunStateRole).isValid())
                return false;
        }
        return true;
    };
    if (!QTest::qWaitFor(known, 10000))
        qFatal("the states of the services did not arrive");
}

void show_tool_tip(Walk &walk)
{
    const QRect cell = walk.table()->visualItemRect(walk.table()->currentItem());
    QToolTip::showText(walk.table()->viewport()->mapToGlobal(cell.center()), walk.table()->currentItem()->toolTip(),
                       walk.table()->viewport());
}

// How services run now: the four states (dbstore dead, with its tool tip), the
// filter of enabled services that do not run, the question before "Stop now",
// and the offer after an apply that disabled cronwheel and enabled webhall.
void running_steps(Walk &walk, const QString &prefix)
{
    const auto text = [](const char *source) { return QCoreApplication::translate("ServiceControl", source); };
    wait_for_states(walk);
    walk.select(QStringLiteral("dbstore"), QStringLiteral("name"));
    show_tool_tip(walk);
    shoot(prefix + QStringLiteral("running-states"));
    QToolTip::hideText();
    auto *filters = walk.window.statusBar()->findChild<QToolButton *>();
    with_modal([filters] { filters->showMenu(); },
               [](QWidget *popup) {
                   auto *menu = qobject_cast<QMenu *>(popup);
                   menu->setActiveAction(menu->actions().first());
                   QTest::keyClick(menu, Qt::Key_Return);
               });
    shoot(prefix + QStringLiteral("running-filter"));
    for (QPushButton *show_all : walk.window.statusBar()->findChildren<QPushButton *>())
        show_all->click();
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("name"));
    with_modal([&] { walk.trigger(text("St&op now")); },
               [prefix](QWidget *question) {
                   shoot(prefix + QStringLiteral("running-stop-confirm"));
                   press(question, QMessageBox::No);
               });
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("start"));
    walk.trigger(QCoreApplication::translate("AdminRunlevel", "&Disable service"));
    walk.select(QStringLiteral("webhall"), QStringLiteral("start"));
    walk.trigger(QCoreApplication::translate("AdminRunlevel", "&Enable service"));
    with_modal([&] { walk.trigger(QCoreApplication::translate("AdminRunlevel", "&Apply all changes")); },
               [prefix](QWidget *question) {
                   when_modal(
                       [prefix](QWidget *result) {
                           when_modal(
                               [prefix](QWidget *offer) {
                                   shoot(prefix + QStringLiteral("running-offer"));
                                   qobject_cast<QDialog *>(offer)->reject();
                               },
                               result);
                           press(result, QMessageBox::Ok);
                       },
                       question);
                   press(question, QMessageBox::Yes);
               });
}

// A dark colour scheme in the manner of Breeze Dark.
QPalette dark_palette()
{
    const QColor window(49, 54, 59), base(35, 38, 41), text(239, 240, 241), dimmed(110, 115, 120);
    QPalette palette(window);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button, QPalette::AlternateBase})
        palette.setColor(role, window);
    palette.setColor(QPalette::Base, base);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, text);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, dimmed);
    palette.setColor(QPalette::Highlight, QColor(61, 174, 233));
    palette.setColor(QPalette::HighlightedText, QColor(252, 252, 252));
    return palette;
}

// One window alone, with the tool tip it shows, if any.
void shoot_window(QWidget *window, const QString &name)
{
    QTest::qWait(300);
    QRect area = window->frameGeometry();
    if (QWidget *tip = QApplication::widgetAt(QCursor::pos()); tip && tip->inherits("QTipLabel"))
        area |= tip->frameGeometry();
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->inherits("QTipLabel"))
            area |= widget->frameGeometry();
    }
    QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(QDir(output_dir).filePath(name + QStringLiteral(".png")));
}

// Who needs logkeeper, in the table's two colours and the status bar; the boot
// of runlevels S and 2 as pictures, a service selected, a tool tip saying why
// it stands there; a dependency that closes a loop, refused and explained.
void understanding_steps(Walk &walk, const QString &prefix)
{
    walk.window.resize(1180, 760);
    walk.select(QStringLiteral("logkeeper"), QStringLiteral("name"));
    shoot(prefix + QStringLiteral("required-by"));

    walk.trigger(QCoreApplication::translate("AdminRunlevel", "&Boot order"));
    auto *order = walk.window.findChild<BootOrderWindow *>();
    order->resize(1500, 420);
    order->move(walk.window.pos());
    order->show_runlevel(QStringLiteral("S"));
    BootOrderView *view = order->today_view();
    view->select(QStringLiteral("localfs-mount"));
    shoot_window(order, prefix + QStringLiteral("boot-order-S"));
    order->show_runlevel(QStringLiteral("2"));
    view->select(QStringLiteral("mailrelay"));
    view->centerOn(0, 0);
    QTest::qWait(200);
    QPoint tip;
    for (QGraphicsItem *item : view->scene()->items()) {
        if (item->data(0).toString() == QLatin1String("cronwheel"))
            tip = view->viewport()->mapToGlobal(view->mapFromScene(item->sceneBoundingRect().center()));
    }
    QCursor::setPos(tip);
    QToolTip::showText(tip, view->explanation(QStringLiteral("cronwheel")), view->viewport());
    shoot_window(order, prefix + QStringLiteral("boot-order-2"));
    QToolTip::hideText();
    order->close();

    walk.select(QStringLiteral("logkeeper"), QStringLiteral("name"));
    with_modal([&walk] { walk.trigger(QCoreApplication::translate("AdminRunlevel", "&Edit")); },
               [prefix](QWidget *dialog) {
                   auto *widget = dialog->findChild<DependenciesWidget *>();
                   auto *model = qobject_cast<QStandardItemModel *>(widget->model());
                   when_modal(
                       [](QWidget *input) {
                           qobject_cast<QInputDialog *>(input)->setTextValue(QStringLiteral("cronwheel"));
                           qobject_cast<QInputDialog *>(input)->accept();
                       },
                       dialog);
                   widget->add_dependency(model->item(0));
                   when_modal(
                       [dialog, prefix](QWidget *refusal) {
                           shoot(prefix + QStringLiteral("refused-loop"));
                           press(refusal, QMessageBox::Ok);
                           QTimer::singleShot(0, dialog,
                                              [dialog] { qobject_cast<QDialog *>(dialog)->done(QDialog::Rejected); });
                       },
                       dialog);
                   qobject_cast<QDialogButtonBox *>(dialog->findChild<QDialogButtonBox *>())
                       ->buttons()
                       .first()
                       ->click();
               });
}

// A process of its own that holds dpkg's frontend lock as apt does while it
// installs, until it is ended; the sample's /var/lib is the namespace's own.
pid_t hold_package_lock()
{
    const QByteArray path = QFile::encodeName(dpkg_frontend_lock_path());
    const pid_t holder = ::fork();
    if (holder == 0) {
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        const int descriptor = ::open(path.constData(), O_RDWR | O_CREAT, 0640);
        if (descriptor >= 0 && ::fcntl(descriptor, F_SETLKW, &lock) == 0)
            ::pause();
        ::_exit(1);
    }
    while (!PackageLock::package_manager_running())
        QTest::qWait(20);
    return holder;
}

// Answers a question with Yes and the box that follows with Ok.
void confirm(QWidget *question)
{
    when_modal([](QWidget *result) { press(result, QMessageBox::Ok); }, question);
    press(question, QMessageBox::Yes);
}

// An apply while the package manager runs is refused; once it has finished the
// apply runs, and File > Undo last apply shows what it will put back.
void trace_steps(Walk &walk)
{
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    walk.trigger(QStringLiteral("&Stop on level"));
    const pid_t apt = hold_package_lock();
    with_modal([&walk] { walk.trigger(QStringLiteral("&Apply all changes")); },
               [](QWidget *refusal) {
                   shoot(QStringLiteral("package-manager-running"));
                   press(refusal, QMessageBox::Ok);
               });
    ::kill(apt, SIGTERM);
    ::waitpid(apt, nullptr, 0);
    with_modal([&walk] { walk.trigger(QStringLiteral("&Apply all changes")); }, confirm);
    walk.select(QStringLiteral("cronwheel"), QStringLiteral("2"));
    with_modal([&walk] { walk.trigger(QStringLiteral("Undo &last apply")); },
               [](QWidget *question) {
                   show_details(question);
                   shoot(QStringLiteral("undo-preview"));
                   confirm(question);
               });
}

// Sets up the look of a scenario: no icon theme at all, or a dark colour scheme.
// Adwaita comes from the desktop that tools/take-screenshots pretends to be.
void set_look(const QString &scenario)
{
    if (scenario == QLatin1String("no-icons")) {
        QIcon::setThemeName(QStringLiteral("no-such-theme"));
        QIcon::setFallbackThemeName(QStringLiteral("no-such-theme"));
    } else if (scenario == QLatin1String("dark")) {
        QIcon::setThemeName(QStringLiteral("breeze-dark"));
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(dark_palette());
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2)
        qFatal("usage: walkthrough OUTPUT-DIRECTORY "
               "[editing|adwaita|no-icons|dark|session|states|trace|running|ru|ru-no-icons|ru-running|first-window|"
               "understanding|ru-understanding]");
    output_dir = QString::fromLocal8Bit(argv[1]);
    const QString scenario = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("editing");
    load_translations({QStringLiteral(TRANSLATIONS_DIR)});
    set_look(scenario == QLatin1String("ru-no-icons") ? QStringLiteral("no-icons") : scenario);
    QCoreApplication::setOrganizationName(QStringLiteral("Vorn"));

    AdminRunlevel window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("the window did not appear");
    Walk walk(window);
    if (scenario == QLatin1String("first-window")) {
        shoot(QStringLiteral("first-window"));
    } else if (scenario.endsWith(QLatin1String("understanding"))) {
        understanding_steps(walk, scenario.startsWith(QLatin1String("ru")) ? QStringLiteral("ru-") : QString());
    } else if (scenario.endsWith(QLatin1String("running"))) {
        running_steps(walk, scenario == QLatin1String("ru-running") ? QStringLiteral("ru-") : QString());
    } else if (scenario == QLatin1String("session")) {
        find_and_edit_marks(walk);
        edit_and_reset(walk);
    } else if (scenario.startsWith(QLatin1String("ru"))) {
        russian_steps(walk, scenario.mid(2));
    } else if (scenario == QLatin1String("states")) {
        states_steps(walk);
    } else if (scenario == QLatin1String("trace")) {
        trace_steps(walk);
    } else if (scenario == QLatin1String("editing")) {
        editing_steps(walk, QString());
        sorting_steps(walk);
    } else {
        editing_steps(walk, QLatin1Char('-') + scenario);
    }
    return 0;
}
