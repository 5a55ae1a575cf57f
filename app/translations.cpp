#include "app/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QStringList translation_directories(const QString &program_directory)
{
    const QDir program(program_directory.isEmpty() ? QCoreApplication::applicationDirPath() : program_directory);
    return {program.path(), program.filePath(QStringLiteral("../share/vorn-admin-runlevel/translations"))};
}

bool load_translations(const QStringList &directories)
{
    auto *qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    auto *own = new QTranslator(QCoreApplication::instance());
    for (const QString &directory : directories) {
        if (own->load(QLocale(), QStringLiteral("vorn-admin-runlevel"), QStringLiteral("_"), directory))
            return QCoreApplication::installTranslator(own);
    }
    return false;
}
