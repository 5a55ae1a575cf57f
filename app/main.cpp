#include "app/admin_runlevel.h"
#include "app/resource.h"
#include "app/translations.h"
#include <qtsingleapplication.h>
#include <vornintegration.h>

int main(int argc, char **argv)
{
    QtSingleApplication application(argc, argv, true);
    if (application.isRunning()) {
        application.sendMessage(QStringLiteral("raise"), 5000);
        return 1;
    }
    load_translations(translation_directories());
    vornInit("1.3.1", "Vorn Runlevels");
    QApplication::setWindowIcon(Resource::instance().icon(QStringLiteral("vorn-runlevel")));

    AdminRunlevel window;
    application.setActivationWindow(&window, true);
    window.show();
    return application.exec();
}
