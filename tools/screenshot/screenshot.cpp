// Opens the window as the program does, connects it to a simulated servo,
// reads the servo's parameters and writes a picture of the window.
//
// usage: nimbal-screenshot OUTPUT.png   (run under a display, e.g. Xvfb)

#include "app/applicationsetup.h"
#include "app/widget.h"
#include "servosimulator.h"
#include "windowtest.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

// Runs the event loop until `done` holds or `timeoutMs` passes.
bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace

int main(int argc, char *argv[])
{
    ApplicationSetup::beforeApplication();
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: nimbal-screenshot OUTPUT.png\n");
        return 2;
    }
    ApplicationSetup::applyFont();

    ServoSimulator servo;
    if (!servo.isOpen()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(servo.errorString()));
        return 1;
    }
    Widget window;
    window.show();
    // Let the log's clock tick once, so every line carries a time stamp.
    waitFor([] { return false; }, 1200);

    // Choose the servo's port as a user would pick it from the list.
    if (!WindowTest::choosePort(window, servo.slavePath())) {
        std::fprintf(stderr, "%s did not open\n", qPrintable(servo.slavePath()));
        return 1;
    }
    window.findChild<QPushButton *>(QStringLiteral("pB_ReadParameter"))->click();
    QTextBrowser *log = WindowTest::statusLog(window);
    const bool answered = waitFor(
        [&] { return log->toPlainText().contains(QStringLiteral("Reading successful")); }, 5000);
    if (!answered) {
        std::fprintf(stderr, "the simulated servo did not answer\n");
        return 1;
    }
    window.findChild<QPushButton *>(QStringLiteral("pB_WriteParameter"))->click();
    waitFor([&] { return log->toPlainText().contains(QStringLiteral("Write successfully")); },
            5000);
    waitFor([] { return false; }, 300);

    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
