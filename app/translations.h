#pragma once

#include <QStringList>

// Where the program's translations lie: next to the executable in the build
// tree, and in the share directory of an installed program (PREFIX/share for
// PREFIX/sbin). By default, for the running executable's directory.
QStringList translation_directories(const QString &program_directory = QString());

// Installs Qt's own translation and the program's for the default locale, so
// that the standard buttons and dialogs speak the program's language. Without
// a translation for the locale the program speaks English. Returns whether the
// program's own translation was found.
bool load_translations(const QStringList &directories);
