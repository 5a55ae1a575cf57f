#include "qtsingleapplication.h"

#include "instance_directory.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>
#include <QtEndian>

#include <unistd.h>

namespace {

const qint64 header_size = sizeof(quint32);
// Messages are short commands; anything larger is not from one of us.
const quint32 max_message_size = 64 * 1024;
const char acknowledgement = 'A';
const int retry_pause_ms = 20;

QByteArray frame(const QString &message)
{
    const QByteArray text = message.toUtf8();
    QByteArray bytes(header_size, Qt::Uninitialized);
    qToBigEndian(quint32(text.size()), bytes.data());
    return bytes + text;
}

// A timeout of 0 would not even let a local connection complete.
int remaining_ms(const QDeadlineTimer &deadline)
{
    return deadline.isForever() ? -1 : int(qMax<qint64>(1, deadline.remainingTime()));
}

} // namespace

QtSingleApplication::QtSingleApplication(int &argc, char **argv, bool)
    : QApplication(argc, argv)
{
    QString problem;
    const QString directory = private_instance_directory(
        ::geteuid(), qEnvironmentVariable("XDG_RUNTIME_DIR"), run_directory(), QDir::tempPath(), problem);
    if (directory.isEmpty()) {
        // Running twice is the lesser harm than being stopped, or talked to,
        // through a lock another user has put in place.
        qWarning("%s", qPrintable(tr("No private directory for the single-instance lock (%1): "
                                     "this instance runs alone.").arg(problem)));
        return;
    }
    const QString base = QDir(directory).filePath(instance_name());
    socket_path = base + QStringLiteral(".socket");
    lock = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    // A crashed instance's lock is stale (its process is gone) and tryLock
    // takes it over; a living instance keeps it for its whole run.
    if (lock->tryLock(0)) {
        listen();
        return;
    }
    // Any other failure (an unwritable directory, say) leaves this instance
    // alone rather than unable to start.
    running = lock->error() == QLockFile::LockFailedError;
}

// The hash keeps different programs apart.
QString QtSingleApplication::instance_name()
{
    const QByteArray program = QCryptographicHash::hash(applicationFilePath().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("qtsingleapp-%1-%2").arg(::geteuid()).arg(QString::fromLatin1(program.toHex().left(16)));
}

void QtSingleApplication::listen()
{
    // Holding the lock, any socket file left behind is from a dead instance.
    QLocalServer::removeServer(socket_path);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, &QtSingleApplication::accept_connections);
    if (!server.listen(socket_path))
        qWarning("QtSingleApplication: cannot listen on %s: %s", qPrintable(socket_path),
                 qPrintable(server.errorString()));
}

bool QtSingleApplication::isRunning()
{
    return running;
}

bool QtSingleApplication::sendMessage(const QString &message, int timeout)
{
    if (!running)
        return false;
    const QByteArray bytes = frame(message);
    const QDeadlineTimer deadline(timeout);
    while (!deliver(bytes, deadline)) {
        if (deadline.hasExpired())
            return false;
        // The first instance may hold the lock but not listen yet.
        QThread::msleep(qMin<qint64>(retry_pause_ms, remaining_ms(deadline)));
    }
    return true;
}

bool QtSingleApplication::deliver(const QByteArray &bytes, const QDeadlineTimer &deadline) const
{
    QLocalSocket socket;
    socket.connectToServer(socket_path);
    if (!socket.waitForConnected(remaining_ms(deadline)))
        return false;
    socket.write(bytes);
    if (!socket.waitForBytesWritten(remaining_ms(deadline)))
        return false;
    // Written is not read: only the acknowledgement says the message arrived.
    while (socket.bytesAvailable() == 0)
        if (!socket.waitForReadyRead(remaining_ms(deadline)))
            return false;
    return socket.read(1) == QByteArray(1, acknowledgement);
}

void QtSingleApplication::accept_connections()
{
    while (QLocalSocket *socket = server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { read_message(socket); });
        read_message(socket);
    }
}

void QtSingleApplication::read_message(QLocalSocket *socket)
{
    if (socket->bytesAvailable() < header_size)
        return;
    const quint32 size = qFromBigEndian<quint32>(socket->peek(header_size).constData());
    if (size > max_message_size) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < header_size + size)
        return;
    socket->skip(header_size);
    const QString message = QString::fromUtf8(socket->read(size));
    // Acknowledge first: the sender should not wait for whatever the message sets off.
    socket->write(QByteArray(1, acknowledgement));
    socket->flush();
    emit messageReceived(message);
}

void QtSingleApplication::setActivationWindow(QWidget *window, bool activate_on_message)
{
    activation_window = window;
    disconnect(this, &QtSingleApplication::messageReceived, this, &QtSingleApplication::activateWindow);
    if (activate_on_message)
        connect(this, &QtSingleApplication::messageReceived, this, &QtSingleApplication::activateWindow);
}

QWidget *QtSingleApplication::activationWindow() const
{
    return activation_window;
}

void QtSingleApplication::activateWindow()
{
    if (!activation_window)
        return;
    // Clear only the minimised flag, so a maximised window comes back maximised.
    activation_window->setWindowState(activation_window->windowState() & ~Qt::WindowMinimized);
    activation_window->raise();
    activation_window->activateWindow();
}
