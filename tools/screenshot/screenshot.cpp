// Opens the window as the program does, connects it to a servo, reads and
// writes the servo's parameters and writes a picture of the window.
//
// usage: nimbal-screenshot OUTPUT.png PORT   (run under a display, e.g. Xvfb)
//
// The servo is on PORT: a simulated one (tools/screenshot.sh starts
// nimbal-servo-sim) or a real one.

#include "app/applicationsetup.h"
#include "app/widget.h"
#include "serial/mycombobox.h"
#include "waitfor.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QSerialPort>
#include <QTextBrowser>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    ApplicationSetup::beforeApplication();
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: nimbal-screenshot OUTPUT.png PORT\n");
        return 2;
    }
    ApplicationSetup::applyFont();
    const QString port = QString::fromLocal8Bit(argv[2]);
    Widget window;
    window.show();
    // Let the log's clock tick once, so every line carries a time stamp.
    waitFor([] { return false; }, 1200);

    // Choose the servo's port as a user would pick it from the list.
    emit window.findChild<MyComboBox *>(QStringLiteral("comboBox_Port"))->textActivated(port);
    if (!window.findChild<QSerialPort *>()->isOpen()) {
        std::fprintf(stderr, "%s did not open\n", qPrintable(port));
        return 1;
    }
    window.findChild<QPushButton *>(QStringLiteral("pB_ReadParameter"))->click();
    const auto *log = window.findChild<QTextBrowser *>(QStringLiteral("textBrowser_StateShow"));
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
