#pragma once

#include <QStatusBar>

class QLabel;
class QPushButton;
class QToolButton;

// Says what the table shows: how many changes are pending, which filter is in
// force (with a way back to every row), and whether the table still matches the
// system. It offers the filters of how services run now against how they boot.
class AdminStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit AdminStatusBar(QWidget *parent);

    void show_pending(int changes);
    void show_filter(const QString &description);
    void show_stale(bool stale);
    // What the highlighting colours of the selected service mean (rich text).
    void show_dependencies(const QString &summary);

signals:
    void show_all_requested();
    // 1: enabled at boot but not running now; 2: disabled but running.
    void run_filter_requested(int filter);

private:
    void build_run_filters();

    QLabel *pending = nullptr;
    QToolButton *run_filters = nullptr;
    QLabel *filter = nullptr;
    QPushButton *show_all = nullptr;
    QLabel *stale_notice = nullptr;
    QLabel *dependencies = nullptr;
};
