#include "app/admin_runlevel.h"
#include "app/administrator_restart.h"
#include "app/resource.h"
#include "app/translations.h"
#include <qtsingleapplication.h>
#include <vornintegration.h>

#include <cstdio>

#include <unistd.h>

int main(int argc, char **argv)
{
    QtSingleApplication application(argc, argv, true);
    load_translations(translation_directories());
    if (application.isRunning()) {
        const bool raised = application.sendMessage(QStringLiteral("raise"), 5000);
        const QString notice = raised
            ? QCoreApplication::translate("main", "%1 is running already: its window was brought to the front.")
            : QCoreApplication::translate("main", "%1 is running already, but did not answer.");
        std::fprintf(stderr, "%s\n", qPrintable(notice.arg(QCoreApplication::applicationName())));
        return 1;
    }
    // The display name ends every window title: in the user's language too.
    const QByteArray name = QCoreApplication::translate("AdminRunlevel", "Vorn Runlevels").toUtf8();
    vornInit("1.3.1", name.constData());
    QApplication::setWindowIcon(Resource::instance().icon(QStringLiteral("vorn-runlevel")));

    const bool taking_over = QCoreApplication::arguments().contains(AdministratorRestart::option);
    AdminRunlevel window;
    const QStringList refused
        = taking_over ? window.take_over_edits(read_handed_over_edits(STDIN_FILENO)) : QStringList();
    application.setActivationWindow(&window, true);
    window.show();
    if (taking_over)
        announce_taken_over(&window, STDOUT_FILENO, [&window, refused] { window.show_refused_edits(refused); });
    return application.exec();
}
