#include "dependencies/boot_order_window.h"

#include "apply/plan_check.h"
#include "apply/rehearsal.h"
#include "catalogue/system_paths.h"
#include "dependencies/boot_order_view.h"
#include "table/service_table.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

QWidget *pane(QLabel *label, BootOrderView *view)
{
    auto *widget = new QWidget;
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addWidget(view, 1);
    return widget;
}

} // namespace

BootOrderWindow::BootOrderWindow(QWidget *parent)
    : QMainWindow(parent)
    , runlevels(new QComboBox)
    , today(new BootOrderView)
    , after(new BootOrderView)
    , after_label(new QLabel)
{
    setWindowFlag(Qt::Window);
    setWindowTitle(tr("Boot order"));
    for (const QString &level : all_runlevels()) {
        const QString text = level == QLatin1String("0") ? tr("Runlevel 0: halt")
            : level == QLatin1String("6")                ? tr("Runlevel 6: reboot")
            : level == QLatin1String("S")                ? tr("Runlevel S: the system boots")
                                                          : tr("Runlevel %1").arg(level);
        runlevels->addItem(text, level);
    }
    runlevels->setCurrentIndex(runlevels->findData(QStringLiteral("2")));
    connect(runlevels, qOverload<int>(&QComboBox::currentIndexChanged), this, &BootOrderWindow::redraw);

    auto *tools = addToolBar(tr("Boot order"));
    tools->setMovable(false);
    tools->addWidget(runlevels);
    after_switch = tools->addAction(tr("After applying the pending changes"));
    after_switch->setCheckable(true);
    after_switch->setToolTip(tr("Try the pending changes on a copy of the boot configuration and show the order they "
                                "leave beside today's"));
    connect(after_switch, &QAction::toggled, this, &BootOrderWindow::show_after_apply);
    tools->addSeparator();
    connect(tools->addAction(tr("Save as SVG…")), &QAction::triggered, this, [this] { save(true); });
    connect(tools->addAction(tr("Save as PNG…")), &QAction::triggered, this, [this] { save(false); });

    auto *today_label = new QLabel(tr("Today, as the links are. An arrow leads from a service to one that waits for "
                                      "it; dashed, it only orders them (Should-Start, X-Start-Before, an optional "
                                      "dependency). Point at a service to see why it stands where it does."));
    auto *splitter = new QSplitter;
    splitter->addWidget(pane(today_label, today));
    after_pane = pane(after_label, after);
    splitter->addWidget(after_pane);
    after_pane->hide();
    setCentralWidget(splitter);
    last_used = today;

    for (BootOrderView *view : {today, after}) {
        connect(view, &BootOrderView::service_selected, this, [this, view](const QString &service) {
            last_used = view;
            select(service);
            emit service_selected(service);
        });
    }
    resize(1100, 640);
}

BootOrderWindow::~BootOrderWindow() = default;

void BootOrderWindow::show_table(ServiceTable *new_table)
{
    table = new_table;
    rehearsed.reset();
    rehearsed_graph.reset();
    after_switch->setChecked(false);
    pending_changed();
    redraw();
}

void BootOrderWindow::pending_changed()
{
    const bool pending = table && table->pending_changes() > 0;
    if (rehearsed) {
        rehearsed.reset();
        rehearsed_graph.reset();
        after_switch->setChecked(false);
    }
    after_switch->setEnabled(pending);
}

void BootOrderWindow::show_runlevel(const QString &runlevel)
{
    runlevels->setCurrentIndex(runlevels->findData(runlevel));
}

QString BootOrderWindow::runlevel() const
{
    return runlevels->currentData().toString();
}

QString BootOrderWindow::after_note() const
{
    return after_pane->isVisible() || after_switch->isChecked() ? after_label->text() : QString();
}

QString BootOrderWindow::title(bool after_apply) const
{
    const QString level = runlevel();
    const bool shutdown = level == QLatin1String("0") || level == QLatin1String("6");
    if (after_apply)
        return shutdown ? tr("Runlevel %1: shutdown after the apply").arg(level)
                        : tr("Runlevel %1: boot after the apply").arg(level);
    return shutdown ? tr("Runlevel %1: shutdown").arg(level) : tr("Runlevel %1: boot").arg(level);
}

void BootOrderWindow::redraw()
{
    if (!table)
        return;
    const QString selected = last_used->selected();
    today->show_order(boot_order(table->loaded_configuration(), table->dependency_graph(), runlevel()), title(false));
    if (rehearsed)
        after->show_order(boot_order(*rehearsed, *rehearsed_graph, runlevel()), title(true));
    select(selected);
}

void BootOrderWindow::show_after_apply(bool on)
{
    if (after_switch->isChecked() != on)
        return after_switch->setChecked(on);
    after_pane->setVisible(on);
    if (!on || !table)
        return;
    // Today and afterwards side by side, at the same width.
    auto *splitter = static_cast<QSplitter *>(centralWidget());
    splitter->setSizes({splitter->width() / 2, splitter->width() / 2});
    if (!rehearsed)
        rehearse_pending();
    redraw();
}

// The same rehearsal an apply makes first: the plan runs on a private copy,
// and its links are what the picture shows.
void BootOrderWindow::rehearse_pending()
{
    const ApplyPlan plan = table->changes_plan();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Rehearsal rehearsal = rehearse(plan, SetupCheck{});
    QApplication::restoreOverrideCursor();
    if (!rehearsal.available) {
        after_label->setText(tr("The pending changes cannot be tried on a copy here: %1").arg(rehearsal.unavailable));
        after->show_order(BootOrder(), QString());
        return;
    }
    rehearsed = std::make_unique<BootConfiguration>(rehearsal.after);
    rehearsed_graph = std::make_unique<DependencyGraph>(table->dependency_graph_with(rehearsal.after.overrides));
    const QStringList problems
        = rehearsal_problems(rehearsal.plan, rehearsal, table->names_to_scripts(), rehearsed_graph.get());
    const int pending = table->pending_changes();
    const QString done = pending == 1
        ? tr("After applying the pending change, as a rehearsal on a copy left the links.")
        : tr("After applying the %n pending changes, as a rehearsal on a copy left the links.", nullptr, pending);
    after_label->setText(problems.isEmpty() ? done
                                            : tr("Tried on a copy, the pending changes would not be applied: %1")
                                                  .arg(problems.join(QLatin1Char(' '))));
}

// Quietly: a selection made here is no user's choice to pass on.
void BootOrderWindow::select(const QString &service)
{
    for (BootOrderView *view : {today, after}) {
        const QSignalBlocker quiet(view);
        view->select(service);
    }
}

void BootOrderWindow::save(bool svg)
{
    const QString filter = svg ? tr("SVG image (*.svg)") : tr("PNG image (*.png)");
    const QString suffix = svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    QString path = QFileDialog::getSaveFileName(this, svg ? tr("Save as SVG") : tr("Save as PNG"),
                                                QStringLiteral("boot-order-%1%2").arg(runlevel(), suffix), filter);
    if (path.isEmpty())
        return;
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    const bool saved = svg ? last_used->save_svg(path) : last_used->save_png(path);
    if (!saved)
        QMessageBox::warning(this, tr("Boot order"), tr("The picture could not be saved as %1.").arg(path));
}
