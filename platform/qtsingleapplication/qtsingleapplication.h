#pragma once

#include <QApplication>
#include <QLocalServer>
#include <QLockFile>
#include <QPointer>

#include <memory>

class QDeadlineTimer;
class QLocalSocket;

// An application that knows whether another instance of the same program, run
// by the same user, is already running, and can pass it a message.
//
// The instance that takes the lock file is the first: it listens on a local
// socket for the messages of later instances. Lock and socket live in a
// directory private to the user (see instance_directory.h) under a name made
// of the user id and a hash of the executable's path, so different programs
// and different users never meet. Without such a directory an instance runs
// alone.
class QtSingleApplication : public QApplication
{
    Q_OBJECT

public:
    // gui_enabled is accepted for the caller's sake: a Qt 5 QApplication
    // always has a GUI.
    explicit QtSingleApplication(int &argc, char **argv, bool gui_enabled = true);

    bool isRunning();
    // Waits at most about timeout milliseconds for the first instance to
    // confirm that it has read the message.
    bool sendMessage(const QString &message, int timeout = 5000);

    void setActivationWindow(QWidget *window, bool activate_on_message = true);
    QWidget *activationWindow() const;

public slots:
    void activateWindow();

signals:
    void messageReceived(const QString &message);

private:
    static QString instance_name();
    void listen();
    void accept_connections();
    void read_message(QLocalSocket *socket);
    bool deliver(const QByteArray &frame, const QDeadlineTimer &deadline) const;

    QString socket_path;
    std::unique_ptr<QLockFile> lock;
    QLocalServer server;
    bool running = false;
    QPointer<QWidget> activation_window;
};
