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
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString qt_translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    const QString qt_translations = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"), qt_translations))
        QCoreApplication::installTranslator(qt);
    auto *own = new QTranslator(QCoreApplication::instance());
    for (const QString &directory : directories) {
        if (own->load(QLocale(), QStringLiteral("vorn-admin-runlevel"), QStringLiteral("_"), directory))
            return QCoreApplication::installTranslator(own);
    }
    return false;
}
