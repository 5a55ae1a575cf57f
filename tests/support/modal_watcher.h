#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>

// Answers the modal dialogs, message boxes and popup menus that the code under
// test opens, in the order they appear. A modal widget nobody expected is
// closed and recorded, so a test can never block on one.
class ModalWatcher : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(QWidget *)>;

    ModalWatcher();

    void expect(Handler handler) { handlers.append(std::move(handler)); }
    // Presses the given button of the next message box and records its title, text, details and default button.
    void expect_message(QMessageBox::StandardButton button);
    // Triggers the entry of the next popup menu with this text; an empty text closes it.
    void expect_menu(const QString &entry);
    int pending() const { return handlers.size(); }

    QStringList titles, texts, details, unexpected;
    QList<QMessageBox::StandardButton> defaults;
    QList<QStringList> menus;

private:
    template <typename Widget> void expect_a(std::function<void(Widget *)> handler);
    void poll();

    QList<Handler> handlers;
    // Every modal widget answered and still shown: when a nested one closes, the
    // one below it becomes active again and must not be answered a second time.
    QList<QPointer<QWidget>> handled;
    QTimer timer;
};
