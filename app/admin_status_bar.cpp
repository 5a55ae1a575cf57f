#include "app/admin_status_bar.h"

#include "app/resource.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

AdminStatusBar::AdminStatusBar(QWidget *parent)
    : QStatusBar(parent)
    , pending(new QLabel)
    , run_filters(new QToolButton)
    , filter(new QLabel)
    , show_all(new QPushButton(tr("Show all services")))
    , stale_notice(new QLabel(tr("The table no longer matches the system: reload it to see the changes (F5)")))
    , dependencies(new QLabel)
{
    dependencies->setTextFormat(Qt::RichText);
    show_all->setFlat(true);
    // A longer text is cut rather than widening the window: hidden, the notice
    // would still widen the first window to its own length, and a filter's
    // description would widen it at every header click.
    for (QLabel *label : {pending, filter, stale_notice, dependencies})
        label->setMinimumWidth(1);
    connect(show_all, &QPushButton::clicked, this, &AdminStatusBar::show_all_requested);
    build_run_filters();
    addWidget(pending);
    addWidget(run_filters);
    addWidget(filter);
    addWidget(show_all);
    addWidget(dependencies);
    addPermanentWidget(stale_notice);
    show_pending(0);
    show_filter(QString());
    show_stale(false);
}

void AdminStatusBar::show_pending(int changes)
{
    pending->setText(changes == 0 ? tr("No pending changes") : tr("Pending changes: %1").arg(changes));
}

void AdminStatusBar::show_filter(const QString &description)
{
    filter->setText(description);
    filter->setVisible(!description.isEmpty());
    show_all->setVisible(!description.isEmpty());
}

void AdminStatusBar::show_stale(bool stale)
{
    stale_notice->setVisible(stale);
}

// An icon only, with its name in the tool tip: the label beside it names the
// filter in force.
void AdminStatusBar::build_run_filters()
{
    auto *menu = new QMenu(run_filters);
    QAction *enabled_not_running = menu->addAction(tr("Enabled, not running"));
    QAction *disabled_running = menu->addAction(tr("Disabled, running"));
    connect(enabled_not_running, &QAction::triggered, this, [this] { emit run_filter_requested(1); });
    connect(disabled_running, &QAction::triggered, this, [this] { emit run_filter_requested(2); });
    run_filters->setIcon(Resource::instance().icon(QStringLiteral("filter")));
    run_filters->setToolTip(tr("Show the services whose state now differs from how they boot"));
    run_filters->setAccessibleName(tr("Filter by state now"));
    run_filters->setMenu(menu);
    run_filters->setPopupMode(QToolButton::InstantPopup);
    run_filters->setAutoRaise(true);
}

void AdminStatusBar::show_dependencies(const QString &summary)
{
    dependencies->setText(summary);
    dependencies->setVisible(!summary.isEmpty());
}
