// 10 MiB of random bytes at full speed into the real window's open port,
// from a forked writer on the master side of a pseudo-terminal. Meanwhile
// a 10 ms timer on the GUI thread measures the longest gap between its
// ticks (how long the event loop stalls) and samples the resident memory.
// Afterwards one valid read answer, with values that differ from what the
// controls show, must still be applied.
//
// usage: nimbal-bench-noise [MIB]   (default 10)

#include "app/widget.h"
#include "benchsupport.h"
#include "files/filesaver.h"
#include "protocol/parameterframe.h"
#include "pseudoterminal.h"
#include "serial/statuslog.h"
#include "windowcontrols.h"

#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextStream>
#include <QTimer>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kTickMs = 10;
constexpr int kChunkBytes = 64 * 1024;
constexpr int kIdleMs = 500;
constexpr int kAnswerLimitMs = 10000;

// xorshift64*: the child makes its noise as it goes, so the parent's memory
// holds none of it.
quint64 nextRandom(quint64 &state)
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1DULL;
}

int writeNoise(int master, qint64 total, int doneFd)
{
    static char chunk[kChunkBytes];
    quint64 state = 0x9E3779B97F4A7C15ULL;
    for (qint64 written = 0; written < total;) {
        const int size = int(std::min<qint64>(kChunkBytes, total - written));
        for (int i = 0; i < size; i += 8) {
            const quint64 r = nextRandom(state);
            for (int j = 0; j < 8 && i + j < size; ++j)
                chunk[i + j] = char(r >> (8 * j));
        }
        if (!FileSaver::writeAll(master, QByteArray::fromRawData(chunk, size),
                                 Bench::kWriteStallMs))
            return 1;
        written += size;
    }
    const char done = 1;
    return ::write(doneFd, &done, 1) == 1 ? 0 : 1;
}

double mib(double kib)
{
    return kib / 1024.0;
}

// Each value moved within its range, away from what the controls show.
ParameterSet distinctFrom(const ParameterSet &shown)
{
    ParameterSet values;
    for (const ParameterInfo &param : kParameters) {
        const int v = shown.value(param.id);
        values.setValue(param.id, v < param.maximum ? v + 1 : v - 1);
    }
    return values;
}

// Writes one read answer carrying `values` and waits until the window shows
// it in every control and logs it. The time it was shown, or 0 if it was
// not within the limit.
qint64 deliverAnswer(PseudoTerminal &pty, const WindowControls &controls,
                     const ParameterSet &values)
{
    const QString reading = QString::fromUtf8(StatusLog::kReadingSuccessful);
    qint64 shownNs = 0;
    QEventLoop loop;
    QObject::connect(controls.log()->document(), &QTextDocument::contentsChanged, &loop, [&] {
        if (controls.values() == values && controls.lastLogLine().endsWith(reading)) {
            shownNs = Bench::monotonicNs();
            loop.quit();
        }
    });
    QTimer::singleShot(kAnswerLimitMs, &loop, &QEventLoop::quit);
    if (!pty.write(ParameterFrame::encode(values, ParameterFrame::kReadAnswerBit)))
        return 0;
    loop.exec();
    return shownNs;
}

} // namespace

int main(int argc, char *argv[])
{
    const qint64 totalBytes = (argc > 1 ? std::max(1, std::atoi(argv[1])) : 10) * qint64(1 << 20);

    Bench::useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    QTextStream out(stdout);

    PseudoTerminal pty;
    Widget window;
    if (!Bench::showWindowOn(window, pty, out))
        return 1;
    const WindowControls controls(window);
    if (!controls.isValid()) {
        out << "error: a control or the status log is missing" << Qt::endl;
        return 1;
    }

    // The tick's gaps: first while idle (what the timer does on this
    // machine now), then under noise.
    qint64 lastTickNs = 0;
    qint64 maxGapNs = 0;
    long rssPeakKiB = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
        const qint64 now = Bench::monotonicNs();
        if (lastTickNs != 0)
            maxGapNs = std::max(maxGapNs, now - lastTickNs);
        lastTickNs = now;
        rssPeakKiB = std::max(rssPeakKiB, Bench::residentKiB());
    });
    const auto runFor = [](int ms) {
        QEventLoop wait;
        QTimer::singleShot(ms, &wait, &QEventLoop::quit);
        wait.exec();
    };
    // One answer first, so what the first answer costs once (glyphs, buffers)
    // is in the memory before.
    if (!deliverAnswer(pty, controls, distinctFrom(controls.values()))) {
        out << "error: the first answer was not applied" << Qt::endl;
        return 1;
    }
    tick.start(kTickMs);
    runFor(kIdleMs);
    const double idleGapMs = double(maxGapNs) / 1e6;
    const long rssBeforeKiB = Bench::residentKiB();

    int donePipe[2];
    if (::pipe2(donePipe, O_CLOEXEC) != 0) {
        out << "error: no pipe" << Qt::endl;
        return 1;
    }
    const int master = pty.masterFd();
    maxGapNs = 0;
    rssPeakKiB = rssBeforeKiB;
    lastTickNs = Bench::monotonicNs();
    const qint64 startNs = lastTickNs;
    const pid_t writer = Bench::forkChild([&] {
        ::close(donePipe[0]);
        return writeNoise(master, totalBytes, donePipe[1]);
    });
    ::close(donePipe[1]);
    if (writer < 0) {
        out << "error: fork failed" << Qt::endl;
        return 1;
    }
    {
        QEventLoop loop;
        QSocketNotifier done(donePipe[0], QSocketNotifier::Read);
        QObject::connect(&done, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
        loop.exec();
    }
    ::close(donePipe[0]);
    if (Bench::waitChild(writer).status != 0) {
        out << "error: the noise writer failed" << Qt::endl;
        return 1;
    }

    // Behind the noise, one answer. Whatever the noise did to the controls,
    // every value of the answer differs from what they show.
    const qint64 appliedNs = deliverAnswer(pty, controls, distinctFrom(controls.values()));
    const double stallMs = double(maxGapNs) / 1e6;
    const long rssDuringKiB = rssPeakKiB;
    runFor(kIdleMs);
    const long rssAfterKiB = Bench::residentKiB();

    const double seconds = double((appliedNs ? appliedNs : Bench::monotonicNs()) - startNs) / 1e9;
    const double growthKiB = double(std::max(rssDuringKiB, rssAfterKiB) - rssBeforeKiB);
    out << "noise_mib: " << Bench::figure(double(totalBytes) / (1 << 20)) << Qt::endl;
    out << "noise_throughput_mib_per_s: " << Bench::figure(double(totalBytes) / (1 << 20) / seconds)
        << Qt::endl;
    out << "noise_idle_max_stall_ms: " << Bench::figure(idleGapMs) << Qt::endl;
    out << "noise_max_stall_ms: " << Bench::figure(stallMs) << " (target < 100)" << Qt::endl;
    out << "noise_rss_before_mib: " << Bench::figure(mib(rssBeforeKiB)) << Qt::endl;
    out << "noise_rss_during_max_mib: " << Bench::figure(mib(rssDuringKiB)) << Qt::endl;
    out << "noise_rss_after_mib: " << Bench::figure(mib(rssAfterKiB)) << Qt::endl;
    out << "noise_rss_growth_mib: " << Bench::figure(mib(growthKiB)) << " (target <= 8)"
        << Qt::endl;
    out << "noise_answer_after_noise_applied: " << (appliedNs ? 1 : 0) << " (target 1)" << Qt::endl;
    return 0;
}
