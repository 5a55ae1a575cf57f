#pragma once

#include <QByteArray>
#include <QString>

// Program output and file lines are UTF-8; a NUL byte ends the text.
inline QString utf8_up_to_nul(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
}
