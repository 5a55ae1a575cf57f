#pragma once

#include "catalogue/header_sources.h"

#include <QByteArray>
#include <QString>

// The file a service's LSB header is read from: its override when one exists,
// its init script otherwise. A table loads thousands of headers, so opening and
// reading take as few system calls as they can: one status query per candidate
// file, reads of whole chunks, and none past the end of the header.
class HeaderFile
{
public:
    // With sources, what they know of the two directories spares asking the system.
    explicit HeaderFile(const QString &name, const HeaderSources *sources = nullptr);
    // The lines of a header held in memory, as if read from a file.
    explicit HeaderFile(const QByteArray &content);
    ~HeaderFile();
    HeaderFile(const HeaderFile &) = delete;
    HeaderFile &operator=(const HeaderFile &) = delete;

    // The next line with its end-of-line characters, as QIODevice::readLine
    // gives it; false after the last line, on a read error, or when no file
    // could be opened.
    bool read_line(QByteArray &line);

private:
    bool fill();

    int descriptor = -1;
    QByteArray buffer;
    int position = 0;
    bool exhausted = false;
};
