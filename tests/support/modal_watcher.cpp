#include "tests/support/modal_watcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <algorithm>

ModalWatcher::ModalWatcher()
{
    connect(&timer, &QTimer::timeout, this, &ModalWatcher::poll);
    timer.start(5);
}

// A widget of another kind than expected is recorded and closed.
template <typename Widget> void ModalWatcher::expect_a(std::function<void(Widget *)> handler)
{
    expect([this, handler](QWidget *widget) {
        if (auto *expected = qobject_cast<Widget *>(widget))
            return handler(expected);
        unexpected.append(widget->metaObject()->className());
        widget->close();
    });
}

void ModalWatcher::expect_message(QMessageBox::StandardButton button)
{
    expect_a<QMessageBox>([this, button](QMessageBox *box) {
        titles.append(box->windowTitle());
        texts.append(box->text());
        details.append(box->detailedText());
        defaults.append(box->standardButton(box->defaultButton()));
        box->button(button) ? box->button(button)->click() : box->reject();
    });
}

void ModalWatcher::expect_menu(const QString &entry)
{
    expect_a<QMenu>([this, entry](QMenu *menu) {
        QAction *chosen = nullptr;
        menus.append(QStringList());
        for (QAction *action : menu->actions()) {
            if (action->isSeparator())
                continue;
            menus.last().append(action->text());
            chosen = action->text() == entry ? action : chosen;
        }
        if (!chosen)
            return void(menu->close());
        menu->setActiveAction(chosen);
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

void ModalWatcher::poll()
{
    QWidget *widget = QApplication::activePopupWidget();
    if (!widget)
        widget = QApplication::activeModalWidget();
    handled.erase(std::remove_if(handled.begin(), handled.end(),
                                 [](const QPointer<QWidget> &shown) { return !shown || !shown->isVisible(); }),
                  handled.end());
    // Progress dialogs close by themselves.
    if (!widget || !widget->isVisible() || handled.contains(widget) || qobject_cast<QProgressDialog *>(widget))
        return;
    handled.append(widget);
    if (handlers.isEmpty()) {
        unexpected.append(widget->windowTitle());
        widget->close();
        return;
    }

    // Queued, not run from the timer: a handler may open the next modal widget,
    // and the timer must keep firing inside that one's event loop.
    QMetaObject::invokeMethod(
        this, [handler = handlers.takeFirst(), widget = QPointer<QWidget>(widget)] {
            if (widget)
                handler(widget);
        },
        Qt::QueuedConnection);
}
