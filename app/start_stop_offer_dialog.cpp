#include "app/start_stop_offer_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StartStopOfferDialog::StartStopOfferDialog(const StartStopOffer &offer, QWidget *parent)
    : QDialog(parent)
    , offer(offer)
{
    setWindowTitle(tr("Start and stop now"));
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(tr("Enabling and disabling take effect at the next boot. These services can also be "
                               "started or stopped now:"));
    text->setWordWrap(true);
    layout->addWidget(text);
    if (!offer.to_start.isEmpty())
        layout->addWidget(group(tr("Enabled, not running: start now"), offer.to_start, start_boxes));
    if (!offer.to_stop.isEmpty())
        layout->addWidget(group(tr("Disabled, running: stop now"), offer.to_stop, stop_boxes));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Start and stop the checked services"));
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QGroupBox *StartStopOfferDialog::group(const QString &title, const QStringList &names, QList<QCheckBox *> &boxes)
{
    auto *box = new QGroupBox(title);
    auto *layout = new QVBoxLayout(box);
    for (const QString &name : names) {
        boxes.append(new QCheckBox(name));
        layout->addWidget(boxes.last());
    }
    return box;
}

StartStopOffer StartStopOfferDialog::chosen() const
{
    return {checked(start_boxes, offer.to_start), checked(stop_boxes, offer.to_stop)};
}

// By position: a check box shows an ampersand of a name as a shortcut mark.
QStringList StartStopOfferDialog::checked(const QList<QCheckBox *> &boxes, const QStringList &names)
{
    QStringList result;
    for (int index = 0; index < boxes.size(); ++index) {
        if (boxes.at(index)->isChecked())
            result.append(names.at(index));
    }
    return result;
}
