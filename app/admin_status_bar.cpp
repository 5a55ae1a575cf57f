#include "app/admin_status_bar.h"

#include <QLabel>
#include <QPushButton>

AdminStatusBar::AdminStatusBar(QWidget *parent)
    : QStatusBar(parent)
    , pending(new QLabel)
    , filter(new QLabel)
    , show_all(new QPushButton(tr("Show all services")))
    , stale_notice(new QLabel(tr("The table no longer matches the system: reload it to see the changes (F5)")))
{
    show_all->setFlat(true);
    // A longer text is cut rather than widening the window: hidden, the notice
    // would still widen the first window to its own length, and a filter's
    // description would widen it at every header click.
    for (QLabel *label : {pending, filter, stale_notice})
        label->setMinimumWidth(1);
    connect(show_all, &QPushButton::clicked, this, &AdminStatusBar::show_all_requested);
    addWidget(pending);
    addWidget(filter);
    addWidget(show_all);
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
