#include <instance_directory.h>
#include <qtsingleapplication.h>

#include <QWidget>
#include <QWindow>

#include <cstdio>

// One instance of a program built on QtSingleApplication, started by
// tst_single_application. It reports on stdout, a line at a time, what the
// test needs to see. A first instance ends cleanly once it has been activated.
// PROBE_RUN_DIR stands in for "/run", where root's instances would meet.
int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    test_hooks::set_run_directory(qEnvironmentVariable("PROBE_RUN_DIR"));
    QtSingleApplication app(argc, argv);
    if (app.isRunning()) {
        puts(app.sendMessage(QStringLiteral("raise"), 5000) ? "sent" : "not sent");
        return 1;
    }
    QWidget window, elsewhere;
    QObject::connect(&app, &QtSingleApplication::messageReceived,
                     [](const QString &message) { printf("message %s\n", qPrintable(message)); });
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [&](QWindow *focus) {
        if (focus && focus == elsewhere.windowHandle())
            puts("ready");
        if (focus && focus == window.windowHandle() && !window.isMinimized()) {
            puts("activated");
            app.quit();
        }
    });
    app.setActivationWindow(&window);
    // Minimised and without the focus, so that activating it has all to undo.
    window.showMinimized();
    elsewhere.show(); // which gives it the focus
    return app.exec();
}
