// The production loop's lanes side by side: 1, 2, 4 and 8 lanes at once,
// each against a simulated servo of its own that is plugged in when its
// lane waits for a servo and unplugged when its lane has set it up.
//
// For each count of lanes: every servo's set-up time (from the servo found
// to its verdict: write, write answer, read-back, read answer, compare)
// against one lane alone, and the CPU time the lanes' thread spends per
// cycle per lane (waiting for the servo, setting it up, waiting until it is
// gone; the ports' opening and closing left out) against the 7.92 ms its
// four frames take on a real line. The simulated servos run in a thread of
// their own, so their work is not counted as the lanes', and answer after
// the time a request and its answer take on a real line, which a
// pseudo-terminal does not take: each lane has its own line to wait for.
//
// usage: nimbal-bench-lanes [SECONDS_PER_COUNT]   (default 8)

#include "benchsupport.h"
#include "lane/lanegroup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QTimer>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Figures
{
    std::vector<double> setUpMs;
    int cycles = 0;
    double cpuMsPerCyclePerLane = 0;
};

Figures runLanes(int count, int seconds)
{
    Bench::ServoThread servos(count, true);
    LaneGroup::Settings settings;
    settings.ports = servos.ports();
    settings.wanted = ParameterSet::startValues();
    LaneGroup group(settings);
    Figures figures;
    QHash<Lane *, qint64> foundAt;
    for (int i = 0; i < count; ++i) {
        Lane *lane = group.lanes().at(i);
        QObject::connect(lane, &Lane::stateChanged, lane, [&, lane, i](Lane::State s) {
            if (s == Lane::State::SettingUp)
                foundAt.insert(lane, Bench::monotonicNs());
            const bool silent = s == Lane::State::WaitingUntilGone;
            servos.plug(i, !silent);
        });
    }
    qint64 cpuStart = 0;
    qint64 cpuEnd = 0;
    QObject::connect(
        &group, &LaneGroup::servoDone, &group, [&](Lane *lane, int, const ServoSetUp::Result &) {
            figures.setUpMs.push_back(double(Bench::monotonicNs() - foundAt.value(lane)) / 1e6);
            cpuEnd = Bench::threadCpuNs();
        });

    QEventLoop loop;
    QObject::connect(&group, &LaneGroup::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(seconds * 1000, &group, &LaneGroup::stop);
    for (Lane *lane : group.lanes())
        lane->open();
    cpuStart = Bench::threadCpuNs();
    group.start();
    loop.exec();
    const double cpuMs = double(cpuEnd - cpuStart) / 1e6;

    figures.cycles = group.done();
    figures.cpuMsPerCyclePerLane = figures.cycles ? cpuMs / figures.cycles : 0;
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int seconds = argc > 1 ? qMax(2, std::atoi(argv[1])) : 8;
    // The four frames of a cycle on a real line.
    const double lineMs = 4 * Bench::frameOnLineMs();
    double alone = 0;
    // One round first, so that no measured one pays for cold code alone.
    runLanes(1, 2);
    for (int count : {1, 2, 4, 8}) {
        const Figures f = runLanes(count, seconds);
        if (f.setUpMs.empty()) {
            out << "error: no servo was set up with " << count << " lanes" << Qt::endl;
            return 1;
        }
        const double median = Bench::percentile(f.setUpMs, 0.5);
        if (count == 1)
            alone = median;
        const QString name = QStringLiteral("lanes_%1_").arg(count);
        out << name << "servos: " << f.cycles << '\n';
        out << name << "setup_median_ms: " << Bench::figure(median) << '\n';
        out << name << "setup_p90_ms: " << Bench::figure(Bench::percentile(f.setUpMs, 0.9)) << '\n';
        out << name << "setup_vs_one_lane: " << Bench::figure(median / alone)
            << " (target <= 1.1)\n";
        out << name << "cpu_ms_per_cycle_per_lane: " << Bench::figure(f.cpuMsPerCyclePerLane)
            << '\n';
        out << name << "cpu_vs_line: " << Bench::figure(f.cpuMsPerCyclePerLane / lineMs)
            << " (target < 0.05)" << Qt::endl;
    }
    return 0;
}
