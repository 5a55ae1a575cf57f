#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// How one run of an external program ended.
struct ProcessResult
{
    bool started = false;
    bool finished = false;
    bool crashed = false;
    int exit_code = -1;
    QByteArray error_output;

    bool succeeded() const { return started && finished && !crashed && exit_code == 0; }
};

// Runs a program to its end. Plans are executed through one of these, so that
// their order and their failures can be tried without starting any process.
using ProcessRunner = std::function<ProcessResult(const QString &program, const QStringList &arguments)>;

// The real runner: waits at most the process time-out to start and again to
// finish, and keeps the windows painted meanwhile while ignoring user input.
ProcessResult run_process(const QString &program, const QStringList &arguments);

// The same, with variables added to the environment and in_child called in the
// child process just before the program starts: it may make system calls only,
// and _exit the child where one fails.
ProcessResult run_prepared_process(const QString &program, const QStringList &arguments, const QStringList &environment,
                          const std::function<void()> &in_child);
