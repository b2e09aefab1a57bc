// Start-up time and peak memory of the program, and of the station,
// against a bare Qt program that shows one empty QWidget, all under the
// offscreen platform.
//
// Each run forks the probe, which prints the monotonic clock at its
// window's first expose; the time from fork to that moment is the start-up
// time. Runs of the three alternate, so drift on a shared machine hits all
// alike. Peak resident memory comes from wait4().
//
// usage: nimbal-bench-startup [RUNS]   (default 15)

#include "benchsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

struct Samples
{
    std::vector<double> ms;
    std::vector<double> maxRssKiB;
};

// One run of the probe in `mode`; false when it failed.
bool runProbe(const QString &probe, const char *mode, Samples &samples)
{
    const Bench::Run run = Bench::runProgram({probe, QLatin1String(mode)}, true);
    const qint64 exposed = run.output.trimmed().toLongLong();
    if (run.status != 0 || exposed <= run.startNs)
        return false;
    samples.ms.push_back(double(exposed - run.startNs) / 1e6);
    samples.maxRssKiB.push_back(double(run.maxRssKiB));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const QString probe =
        QFileInfo(QFile::decodeName(argv[0])).path() + QLatin1String("/nimbal-startup-probe");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTextStream out(stdout);

    // The station keeps its settings: of this run's own, not the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    Samples tool, station, bare, warmUp;
    // One warm-up of each, so the first measured run does not pay for cold caches alone.
    runProbe(probe, "tool", warmUp);
    runProbe(probe, "station", warmUp);
    runProbe(probe, "bare", warmUp);
    for (int i = 0; i < runs; ++i) {
        for (auto [mode, samples] :
             {std::pair{"tool", &tool}, std::pair{"station", &station}, std::pair{"bare", &bare}}) {
            if (!runProbe(probe, mode, *samples)) {
                std::fprintf(stderr, "probe (%s) failed\n", mode);
                return 1;
            }
        }
    }
    const double toolMs = Bench::percentile(tool.ms, 0.5);
    const double bareMs = Bench::percentile(bare.ms, 0.5);
    const double toolMiB = Bench::percentile(tool.maxRssKiB, 0.5) / 1024;
    const double bareMiB = Bench::percentile(bare.maxRssKiB, 0.5) / 1024;
    out << "startup_runs: " << runs << '\n';
    out << "startup_tool_median_ms: " << Bench::figure(toolMs) << '\n';
    out << "startup_bare_median_ms: " << Bench::figure(bareMs) << '\n';
    out << "startup_tool_vs_bare: " << Bench::figure(toolMs / bareMs) << " (target <= 2)\n";
    out << "peak_rss_tool_mib: " << Bench::figure(toolMiB) << '\n';
    out << "peak_rss_bare_mib: " << Bench::figure(bareMiB) << '\n';
    out << "peak_rss_tool_minus_bare_mib: " << Bench::figure(toolMiB - bareMiB)
        << " (target <= 15)\n";
    const double stationMs = Bench::percentile(station.ms, 0.5);
    out << "startup_station_median_ms: " << Bench::figure(stationMs) << '\n';
    out << "startup_station_vs_bare: " << Bench::figure(stationMs / bareMs) << " (target <= 2)\n";
    out << "peak_rss_station_mib: "
        << Bench::figure(Bench::percentile(station.maxRssKiB, 0.5) / 1024) << '\n';
    return 0;
}
