#include "app/notice_bar.h"

#include "apply/details_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

NoticeBar::NoticeBar(QWidget *parent)
    : QFrame(parent)
    , text(new QLabel)
    , details_button(new QPushButton(tr("Details…")))
    , edit_button(new QPushButton(tr("Edit dependencies…")))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(214, 234, 248));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);

    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    auto *icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(size, size));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *close = new QToolButton;
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setToolTip(tr("Close"));
    connect(details_button, &QPushButton::clicked, this, &NoticeBar::show_details);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(text, 1);
    layout->addWidget(edit_button, 0, Qt::AlignTop);
    layout->addWidget(details_button, 0, Qt::AlignTop);
    layout->addWidget(close, 0, Qt::AlignTop);
    hide();
}

void NoticeBar::show_notices(const QStringList &texts, const QString &notice_details, const QStringList &services)
{
    text->setText(texts.join(QStringLiteral("\n\n")));
    delete edit_button->menu();
    auto *menu = new QMenu(edit_button);
    for (const QString &service : services)
        connect(menu->addAction(service), &QAction::triggered, this, [this, service] { emit edit_requested(service); });
    edit_button->setMenu(menu);
    edit_button->setVisible(!services.isEmpty());
    details = notice_details;
    details_button->setVisible(!details.isEmpty());
    setVisible(!texts.isEmpty());
}

// Not modal: the user may read insserv's words beside the table.
void NoticeBar::show_details()
{
    auto *box = new QMessageBox(QMessageBox::Information, tr("Boot configuration"), text->text(), QMessageBox::Close,
                                window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    set_readable_details(*box, details);
    box->show();
}
