#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// What the load found worth knowing, above the table, without a question:
// insserv's warnings, a setup it refuses, links it would make otherwise. The
// details (insserv's own words) open on request; the bar can be closed.
class NoticeBar : public QFrame
{
    Q_OBJECT

public:
    explicit NoticeBar(QWidget *parent = nullptr);

    // Shows the texts, one paragraph each, with their details; hides the bar when there are none.
    // The services are offered for editing their dependencies.
    void show_notices(const QStringList &texts, const QString &details, const QStringList &services = {});

signals:
    void edit_requested(const QString &service);

private slots:
    void show_details();

private:
    QLabel *text = nullptr;
    QPushButton *details_button = nullptr;
    QPushButton *edit_button = nullptr;
    QString details;
};
