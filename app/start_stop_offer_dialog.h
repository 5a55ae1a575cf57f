#pragma once

#include "runtime/switched_services.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QGroupBox;

// Offered after an apply that enabled or disabled services: enabling and
// disabling take effect at the next boot, and this lets the user start the
// services just enabled that do not run, and stop those just disabled that
// run, at once. One check box a service, none checked: nothing happens unless
// the user asks for it.
class StartStopOfferDialog : public QDialog
{
    Q_OBJECT

public:
    StartStopOfferDialog(const StartStopOffer &offer, QWidget *parent);

    // The services checked when the dialog was accepted.
    StartStopOffer chosen() const;

private:
    QGroupBox *group(const QString &title, const QStringList &names, QList<QCheckBox *> &boxes);
    static QStringList checked(const QList<QCheckBox *> &boxes, const QStringList &names);

    const StartStopOffer offer;
    QList<QCheckBox *> start_boxes;
    QList<QCheckBox *> stop_boxes;
};
