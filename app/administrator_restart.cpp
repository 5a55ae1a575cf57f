#include "app/administrator_restart.h"

#include <QEvent>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

const QString AdministratorRestart::option = QStringLiteral("--pending-edits");

namespace {

const QByteArray ready_line("ready\n");
const int most_edits_bytes = 16 << 20;
const int end_poll_ms = 50;

bool write_all(int fd, const QByteArray &bytes)
{
    for (qint64 written = 0; written < bytes.size();) {
        const ssize_t done = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (done < 0 && errno != EINTR)
            return false;
        written += std::max<ssize_t>(done, 0);
    }
    return true;
}

// A file without a name: nobody else can open it, and it goes with the last
// descriptor. The new instance reads it whenever it is ready, so nothing here
// waits on it.
int edits_file(const QByteArray &edits)
{
    const int file = ::memfd_create("vorn-pending-edits", MFD_CLOEXEC);
    if (file < 0)
        return -1;
    if (!write_all(file, edits) || ::lseek(file, 0, SEEK_SET) != 0) {
        ::close(file);
        return -1;
    }
    return file;
}

// SIGPIPE goes back to its default, whatever this process did with it.
pid_t spawn(const QStringList &command, int input, int output, int &error)
{
    std::vector<QByteArray> words;
    for (const QString &word : command)
        words.push_back(QFile::encodeName(word));
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signal_set;
    sigemptyset(&signal_set);
    posix_spawnattr_setsigmask(&attributes, &signal_set);
    sigaddset(&signal_set, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signal_set);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = -1;
    error = posix_spawnp(&child, argv.front(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? child : -1;
}

// Told once the window is on the screen, not merely asked to show.
class ExposeWatch : public QObject
{
public:
    ExposeWatch(QWindow *window, std::function<void()> exposed)
        : QObject(window)
        , exposed(std::move(exposed))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, exposed);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> exposed;
};

} // namespace

AdministratorRestart::AdministratorRestart(QObject *parent)
    : QObject(parent)
{
}

// The new instance is left alone: it is root's, and no longer ours to stop.
AdministratorRestart::~AdministratorRestart()
{
    if (output >= 0)
        ::close(output);
}

bool AdministratorRestart::start(const QStringList &command, const QByteArray &edits, QString &error)
{
    const int input = edits_file(edits);
    int pipe_ends[2];
    if (input < 0 || ::pipe2(pipe_ends, O_CLOEXEC) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        if (input >= 0)
            ::close(input);
        return false;
    }
    int spawn_error = 0;
    child = spawn(command + QStringList{option}, input, pipe_ends[1], spawn_error);
    ::close(input);
    ::close(pipe_ends[1]);
    if (child < 0) {
        ::close(pipe_ends[0]);
        error = QString::fromLocal8Bit(std::strerror(spawn_error));
        return false;
    }
    output = pipe_ends[0];
    ::fcntl(output, F_SETFL, ::fcntl(output, F_GETFL) | O_NONBLOCK);
    notifier = new QSocketNotifier(output, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &AdministratorRestart::read_output);
    return true;
}

void AdministratorRestart::read_output()
{
    char buffer[512];
    const ssize_t got = ::read(output, buffer, sizeof buffer);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got > 0) {
        said.append(buffer, int(got));
        if (said.startsWith(ready_line) || said.contains('\n' + ready_line)) {
            stop_reading();
            emit taken_over();
        }
        return;
    }
    stop_reading();
    wait_for_end();
}

void AdministratorRestart::stop_reading()
{
    notifier->setEnabled(false);
    ::close(output);
    output = -1;
}

// The output closes as the process ends; its exit status may come a moment later.
void AdministratorRestart::wait_for_end()
{
    int status = 0;
    const pid_t ended_child = ::waitpid(child, &status, WNOHANG);
    if (ended_child == 0) {
        QTimer::singleShot(end_poll_ms, this, &AdministratorRestart::wait_for_end);
        return;
    }
    emit ended(ended_child == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

QByteArray read_handed_over_edits(int input)
{
    QByteArray text;
    char buffer[65536];
    while (text.size() < most_edits_bytes) {
        const ssize_t got = ::read(input, buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno != EINTR))
            break;
        text.append(buffer, int(std::max<ssize_t>(got, 0)));
    }
    return text.left(most_edits_bytes);
}

// Nothing more is written to the output: the ordinary instance that reads it
// ends now, and writing to a pipe nobody reads would end this one too. That
// instance may even have gone already (closed while pkexec asked).
void announce_taken_over(QWidget *window, int output, std::function<void()> then)
{
    const auto announce = [output, then] {
        struct sigaction ignore = {}, previous = {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &previous);
        write_all(output, ready_line);
        ::sigaction(SIGPIPE, &previous, nullptr);
        const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nothing >= 0) {
            ::dup2(nothing, output);
            ::close(nothing);
        }
        if (then)
            then();
    };
    QWindow *shown = window->windowHandle();
    if (shown && shown->isExposed())
        QTimer::singleShot(0, window, announce);
    else if (shown)
        new ExposeWatch(shown, announce);
}
