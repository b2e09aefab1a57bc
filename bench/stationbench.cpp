// The station's CPU time: its window with eight lanes idle (no servo
// plugged in, every lane asking four times a second), and with eight
// lanes setting up servo after servo (each servo unplugged once its lane
// has told the verdict, and plugged in again once the lane has seen it
// gone). The simulated servos run in a thread of their own; the figure is
// the CPU time of the window's thread.
//
// usage: nimbal-bench-station [SECONDS_PER_PHASE]   (default 8)

#include "benchsupport.h"
#include "lane/lanegroup.h"
#include "stationwindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <vector>

namespace {

constexpr int kLanes = LaneGroup::kMostLanes;

// Runs the event loop for `seconds`, with `eachTick` every 50 ms; the
// window thread's CPU milliseconds.
double cpuMsFor(int seconds, const std::function<void()> &eachTick = {})
{
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    QTimer tick;
    if (eachTick) {
        QObject::connect(&tick, &QTimer::timeout, &loop, eachTick);
        tick.start(50);
    }
    const qint64 start = Bench::threadCpuNs();
    loop.exec();
    return double(Bench::threadCpuNs() - start) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useOffscreenPlatformByDefault();
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int seconds = argc > 1 ? qMax(2, std::atoi(argv[1])) : 8;

    Bench::ServoThread servos(kLanes, false); // idle first: no servo plugged in

    QFile file(config.filePath(QStringLiteral("servo.txt")));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("40,0,0,0,500,2500,0,1520,0,0,0,0,1,0") < 0 || !file.flush()) {
        out << "error: cannot write the parameter file" << Qt::endl;
        return 1;
    }
    file.close();
    StationWindow window;
    window.setParameterFile(file.fileName());
    window.setPorts(servos.ports());
    window.setLogPath(config.filePath(QStringLiteral("servos.csv")));
    window.show();
    if (!window.start()) {
        out << "error: the station did not start" << Qt::endl;
        return 1;
    }
    const double idleMs = cpuMsFor(seconds);

    const QList<QFrame *> tiles = window.findChildren<QFrame *>(QStringLiteral("lane"));
    // A new verdict shown: the servo is unplugged, and the next plugged in
    // once the lane has seen it gone (the verdict stays on the tile until
    // the next servo is found, and a servo that holds the values just read
    // back is told from the last only by its absence).
    struct Hands
    {
        bool armed = true; // no verdict shown since the servo was plugged in
        QElapsedTimer unplugged;
    };
    std::vector<Hands> hands(tiles.size());
    for (int i = 0; i < tiles.size(); ++i)
        servos.plug(i, true);
    const double busyMs = cpuMsFor(seconds, [&] {
        for (int i = 0; i < tiles.size(); ++i) {
            const QString verdict = tiles.at(i)->property("verdict").toString();
            const bool told = verdict == QLatin1String("pass") || verdict == QLatin1String("fail");
            Hands &h = hands[std::size_t(i)];
            if (!told) {
                h.armed = true;
            } else if (h.armed) {
                h.armed = false;
                servos.plug(i, false);
                h.unplugged.start();
            }
            if (h.unplugged.isValid() && h.unplugged.elapsed() > Lane::kGoneAfterMs + 300) {
                h.unplugged.invalidate();
                servos.plug(i, true);
            }
        }
    });
    QFile log(config.filePath(QStringLiteral("servos.csv")));
    const int servosSetUp = log.open(QIODevice::ReadOnly) ? int(log.readAll().count('\n')) - 1 : 0;

    out << "station_lanes: " << kLanes << '\n';
    out << "station_idle_cpu_share_of_one_core: " << Bench::figure(idleMs / (seconds * 1000.0))
        << '\n';
    out << "station_busy_servos_set_up: " << servosSetUp << '\n';
    out << "station_busy_cpu_share_of_one_core: " << Bench::figure(busyMs / (seconds * 1000.0))
        << '\n';
    out << "station_busy_cpu_ms_per_servo: "
        << Bench::figure(servosSetUp > 0 ? busyMs / servosSetUp : 0) << Qt::endl;

    window.stop();
    return 0;
}
