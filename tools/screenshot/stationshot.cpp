// Opens the station as a person would set it up, starts it on the ports
// given, waits until every lane has told its verdict on a servo and writes
// a picture of the window.
//
// usage: nimbal-station-screenshot OUTPUT.png PARAMETER_FILE LOG PORT...
//   (run under a display, e.g. Xvfb; the servos are on the PORTs)

#include "stationwindow.h"
#include "waitfor.h"

#include <QApplication>
#include <QFrame>
#include <QLocale>
#include <QPixmap>

#include <cstdio>

namespace {

// Whether every lane's tile shows a verdict.
bool everyLaneTold(const QWidget &window)
{
    const auto tiles = window.findChildren<QFrame *>(QStringLiteral("lane"));
    for (const QFrame *tile : tiles) {
        const QString verdict = tile->property("verdict").toString();
        if (verdict != QLatin1String("pass") && verdict != QLatin1String("fail"))
            return false;
    }
    return !tiles.isEmpty();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: nimbal-station-screenshot OUTPUT.png FILE LOG PORT...\n");
        return 2;
    }
    StationWindow::installTranslation(QLocale::system());
    StationWindow window;
    window.setParameterFile(QString::fromLocal8Bit(argv[2]));
    window.setLogPath(QString::fromLocal8Bit(argv[3]));
    QStringList ports;
    for (int i = 4; i < argc; ++i)
        ports.append(QString::fromLocal8Bit(argv[i]));
    window.setPorts(ports);
    window.resize(1180, 760);
    window.show();
    if (!window.start()) {
        std::fprintf(stderr, "the station did not start\n");
        return 1;
    }
    const bool told = waitFor([&window] { return everyLaneTold(window); }, 15000);
    // Let the tiles' new looks be painted.
    waitFor([] { return false; }, 300);
    if (!told) {
        std::fprintf(stderr, "not every lane told a verdict\n");
        return 1;
    }
    const QPixmap picture = window.grab();
    // Written once the lanes have closed their ports: under Wine, writing a
    // file while two COM ports on pseudo-terminals are open never ends.
    window.stop();
    waitFor([&window] { return !window.isRunning(); }, 15000);
    if (!picture.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
