// Walks through a session with the real window and saves a screenshot of each
// step. Run it through tools/take-screenshots, which starts it under Xvfb on the
// sample system in its private mount namespace.
#include "app/admin_runlevel.h"
#include "app/find_service_dialog.h"
#include "table/service_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

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

// Runs opener, which blocks in a modal dialog, box or menu; while that is open,
// handle gets it.
void with_modal(const std::function<void()> &opener, const std::function<void(QWidget *)> &handle)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, handle] {
        QWidget *widget = QApplication::activePopupWidget();
        if (!widget)
            widget = QApplication::activeModalWidget();
        if (!widget || !widget->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        handle(widget);
    });
    timer->start(50);
    opener();
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

    ServiceTable *table() const { return window.findChild<ServiceTable *>(); }

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
    walk.select(QStringLiteral("filesync"), QStringLiteral("4"));
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

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2)
        qFatal("usage: walkthrough OUTPUT-DIRECTORY [editing|no-icons]");
    output_dir = QString::fromLocal8Bit(argv[1]);
    const QString scenario = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("editing");
    if (scenario == QLatin1String("no-icons")) {
        QIcon::setThemeName(QStringLiteral("no-such-theme"));
        QIcon::setFallbackThemeName(QStringLiteral("no-such-theme"));
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Vorn"));

    AdminRunlevel window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("the window did not appear");
    Walk walk(window);
    if (scenario == QLatin1String("no-icons")) {
        editing_steps(walk, QStringLiteral("-no-icons"));
    } else {
        editing_steps(walk, QString());
        sorting_steps(walk);
    }
    return 0;
}
