#pragma once

#include <QStatusBar>

class QLabel;
class QPushButton;

// Says what the table shows: how many changes are pending, which header
// filter is in force (with a way back to every row), and whether the table
// still matches the system.
class AdminStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit AdminStatusBar(QWidget *parent);

    void show_pending(int changes);
    void show_filter(const QString &description);
    void show_stale(bool stale);

signals:
    void show_all_requested();

private:
    QLabel *pending = nullptr;
    QLabel *filter = nullptr;
    QPushButton *show_all = nullptr;
    QLabel *stale_notice = nullptr;
};
