#include "apply/system_log.h"

#include "catalogue/system_paths.h"
#include "catalogue/test_hooks.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

namespace {

LogSink sink = send_to_system_log;

// "Dec  7 16:24:30": the timestamp of RFC 3164, in English whatever the locale.
QByteArray timestamp()
{
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    ::localtime_r(&now, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%s %2d %02d:%02d:%02d", months[local.tm_mon], local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec);
    return text;
}

} // namespace

void test_hooks::set_log_sink(const std::function<void(int, const QString &)> &log)
{
    sink = log ? log : LogSink(send_to_system_log);
}

void log_line(int severity, const QString &line)
{
    sink(severity, line);
}

void send_to_system_log(int severity, const QString &line)
{
    QString text = line;
    for (QChar &character : text) {
        if (character.category() == QChar::Other_Control)
            character = QLatin1Char(' ');
    }
    const QByteArray message = QByteArray("<") + QByteArray::number(LOG_AUTHPRIV | severity) + '>' + timestamp()
        + " vorn-admin-runlevel[" + QByteArray::number(::getpid()) + "]: " + text.toUtf8();

    const QByteArray path = QFile::encodeName(system_log_socket_path());
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= int(sizeof address.sun_path))
        return;
    std::memcpy(address.sun_path, path.constData(), path.size());
    const auto *target = reinterpret_cast<const sockaddr *>(&address);
    int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket >= 0 && ::sendto(socket, message.constData(), message.size(), MSG_NOSIGNAL, target, sizeof address) < 0
        && errno == EPROTOTYPE) {
        // A syslog daemon that listens on a stream socket: messages end with a NUL there.
        ::close(socket);
        socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (socket >= 0 && ::connect(socket, target, sizeof address) == 0)
            ::send(socket, message.constData(), message.size() + 1, MSG_NOSIGNAL);
    }
    if (socket >= 0)
        ::close(socket);
}
