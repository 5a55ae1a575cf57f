#include <qtsingleapplication.h>

#include <QSocketNotifier>
#include <QTextStream>
#include <QWidget>
#include <QWindow>

#include <unistd.h>

// One instance of a program built on QtSingleApplication, started by
// tst_single_application. It behaves as the program's entry does and reports
// on stdout, a line at a time, what the test needs to see. Closing its
// standard input ends it.

static void report(const QString &line)
{
    QTextStream(stdout) << line << Qt::endl;
}

int main(int argc, char **argv)
{
    QtSingleApplication app(argc, argv);
    if (app.isRunning()) {
        report(QStringLiteral("running elsewhere"));
        report(app.sendMessage(QStringLiteral("raise"), 5000) ? QStringLiteral("sent") : QStringLiteral("not sent"));
        return 1;
    }

    QWidget window;
    QWidget elsewhere;
    QObject::connect(&app, &QtSingleApplication::messageReceived, &window,
                     [](const QString &message) { report(QStringLiteral("message ") + message); });
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, &window, [&](QWindow *focus) {
        if (focus && focus == elsewhere.windowHandle())
            report(QStringLiteral("ready"));
        else if (focus && focus == window.windowHandle() && !window.isMinimized())
            report(QStringLiteral("activated"));
    });
    app.setActivationWindow(&window);
    // Minimised and without the focus, so that activating it has all to undo.
    window.showMinimized();
    elsewhere.show();
    elsewhere.activateWindow();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app] {
        char buffer[256];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    return app.exec();
}
