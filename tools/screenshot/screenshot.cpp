// Opens the window as the program does, connects it to a servo, reads and
// writes the servo's parameters and writes a picture of the window.
//
// usage: nimbal-screenshot OUTPUT.png [PORT]   (run under a display, e.g. Xvfb)
//
// Without PORT (POSIX only) it plays the servo itself, on a
// pseudo-terminal; with PORT, the servo is on that port.

#include "app/applicationsetup.h"
#include "app/widget.h"
#include "windowtest.h"
#ifdef NIMBAL_HAS_SERVO_SIMULATOR
#include "servosimulator.h"
#endif

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
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: nimbal-screenshot OUTPUT.png [PORT]\n");
        return 2;
    }
    ApplicationSetup::applyFont();

    QString port = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
#ifdef NIMBAL_HAS_SERVO_SIMULATOR
    ServoSimulator servo;
    if (port.isEmpty()) {
        if (!servo.isOpen()) {
            std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(servo.errorString()));
            return 1;
        }
        port = servo.slavePath();
    }
#endif
    if (port.isEmpty()) {
        std::fprintf(stderr, "usage: nimbal-screenshot OUTPUT.png PORT\n");
        return 2;
    }
    Widget window;
    window.show();
    // Let the log's clock tick once, so every line carries a time stamp.
    waitFor([] { return false; }, 1200);

    // Choose the servo's port as a user would pick it from the list.
    if (!WindowTest::choosePort(window, port)) {
        std::fprintf(stderr, "%s did not open\n", qPrintable(port));
        return 1;
    }
    window.findChild<QPushButton *>(QStringLiteral("pB_ReadParameter"))->click();
    QTextBrowser *log = WindowTest::statusLog(window);
    const bool answered = waitFor(
        [&] { return log->toPlainText().contains(QStringLiteral("Reading successful")); }, 5000);
    if (!answered) {
        std::fprintf(stderr, "the servo did not answer\n");
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
