#pragma once

#include "catalogue/test_hooks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The system root of one fuzzer process: the catalogue reads its fixed paths
// under it. In memory where the machine has /dev/shm, since every input is a
// file written and read again.
class FuzzRoot
{
public:
    static FuzzRoot &instance()
    {
        static FuzzRoot root;
        return root;
    }

    void write(const QString &relative, const QByteArray &content)
    {
        QFile file(directory.filePath(relative));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            fail("cannot write the input into the fuzzing root");
    }

    void remove(const QString &relative) { QFile::remove(directory.filePath(relative)); }

    // A broken promise of the code under test: libFuzzer keeps the input that
    // led here and reports the run as failed.
    static void fail(const char *what)
    {
        std::fprintf(stderr, "fuzzing: %s\n", what);
        std::abort();
    }

private:
    FuzzRoot()
        : directory(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/vorn-fuzz-XXXXXX")
                                                               : QDir::tempPath() + QStringLiteral("/vorn-fuzz-XXXXXX"))
    {
        if (!directory.isValid() || !QDir(directory.path()).mkpath(QStringLiteral("etc/init.d"))
            || !QDir(directory.path()).mkpath(QStringLiteral("etc/insserv/overrides"))
            || !QDir(directory.path()).mkpath(QStringLiteral("etc/insserv.conf.d")))
            fail("cannot make the fuzzing root");
        test_hooks::set_system_root(directory.path());
    }

    QTemporaryDir directory;
};

inline QByteArray input_bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}
