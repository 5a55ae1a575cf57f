#include "tests/support/modal_watcher.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProgressDialog>
#include <QTest>

#include <algorithm>

ModalWatcher::ModalWatcher()
{
    connect(&timer, &QTimer::timeout, this, &ModalWatcher::poll);
    timer.start(5);
}

void ModalWatcher::expect(Handler handler)
{
    handlers.append(std::move(handler));
}

void ModalWatcher::expect_message(QMessageBox::StandardButton button)
{
    expect([this, button](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box) {
            unexpected.append(widget->metaObject()->className());
            widget->close();
            return;
        }
        titles.append(box->windowTitle());
        texts.append(box->text());
        details.append(box->detailedText());
        if (QAbstractButton *pressed = box->button(button))
            pressed->click();
        else
            box->reject();
    });
}

void ModalWatcher::expect_menu(const QString &entry)
{
    expect([this, entry](QWidget *widget) {
        auto *menu = qobject_cast<QMenu *>(widget);
        if (!menu) {
            unexpected.append(widget->metaObject()->className());
            widget->close();
            return;
        }
        QStringList entries;
        QAction *chosen = nullptr;
        for (QAction *action : menu->actions()) {
            entries.append(action->text());
            if (action->text() == entry)
                chosen = action;
        }
        menus.append(entries);
        if (chosen) {
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            menu->close();
        }
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
