// Read answers arriving at the full rate of the servo's line, 111100 baud
// 8N2 (11 bits a byte, 20 bytes a frame: about 505 frames a second), for
// ten seconds, into the real window. A forked writer on the master side of a
// pseudo-terminal paces the frames by the monotonic clock, one every
// 1.98 ms, catching up without drift when it falls behind. The window in
// this process applies them; two sets alternate, so every applied answer
// changes Torque Gain once and is counted there.
//
// Figures: answers lost (sent minus applied) and this process's CPU time
// per applied answer over the streaming window.
//
// usage: nimbal-bench-sustained [SECONDS]   (default 10)

#include "app/widget.h"
#include "benchsupport.h"
#include "files/filesaver.h"
#include "protocol/parameterframe.h"
#include "pseudoterminal.h"
#include "servosimulator.h"

#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QTextStream>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

const qint64 kFrameIntervalNs = qint64(Bench::frameOnLineMs() * 1e6);
// Answers still on their way when the writer is done get this long.
constexpr int kDrainLimitMs = 3000;

struct WriterResult
{
    qint32 sent = 0;
    qint32 failed = 0;
    qint64 maxLateNs = 0;
};

// The servo's side: `count` frames of `stream`, frame k at start + k
// intervals. Frames already due go out together in one write.
int writeStream(int master, const QByteArray &stream, int count, int resultFd)
{
    WriterResult result;
    const char *data = stream.constData();
    const qint64 start = Bench::monotonicNs();
    int next = 0;
    while (next < count) {
        const qint64 due = start + next * kFrameIntervalNs;
        timespec at{time_t(due / 1000000000), long(due % 1000000000)};
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
        const qint64 now = Bench::monotonicNs();
        result.maxLateNs = std::max(result.maxLateNs, now - due);
        int last = next;
        while (last + 1 < count && start + (last + 1) * kFrameIntervalNs <= now)
            ++last;
        const int frames = last - next + 1;
        const QByteArray batch = QByteArray::fromRawData(data + next * ParameterFrame::kLength,
                                                         frames * ParameterFrame::kLength);
        if (!FileSaver::writeAll(master, batch, Bench::kWriteStallMs)) {
            result.failed = 1;
            break;
        }
        next += frames;
        result.sent = next;
    }
    [[maybe_unused]] const ssize_t n = ::write(resultFd, &result, sizeof result);
    return result.failed;
}

} // namespace

int main(int argc, char *argv[])
{
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
    const int count = int(seconds * 1e9 / double(kFrameIntervalNs));

    Bench::useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    QTextStream out(stdout);

    PseudoTerminal pty;
    Widget window;
    if (!Bench::showWindowOn(window, pty, out))
        return 1;
    auto *torqueGain = window.findChild<QSpinBox *>(QStringLiteral("spinBox_TorqueGain"));
    if (!torqueGain) {
        out << "error: no spinBox_TorqueGain" << Qt::endl;
        return 1;
    }

    // Two sets that differ in Torque Gain (and more), neither of them the
    // tool's start values: each answer changes the controls.
    ParameterSet a = ServoSimulator::startValues();
    ParameterSet b = a;
    b.setValue(Parameter::TorqueGain, a.value(Parameter::TorqueGain) + 1);
    b.setValue(Parameter::NeutralPoint, a.value(Parameter::NeutralPoint) - 40);
    b.setValue(Parameter::SoftStart, 0);
    const QByteArray frameA = ParameterFrame::encode(a, ParameterFrame::kReadAnswerBit);
    const QByteArray frameB = ParameterFrame::encode(b, ParameterFrame::kReadAnswerBit);
    QByteArray stream;
    stream.reserve(count * ParameterFrame::kLength);
    for (int i = 0; i < count; ++i)
        stream += i % 2 == 0 ? frameA : frameB;

    // Let the window settle (first paint, the port's start) before timing.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();

    int applied = 0;
    qint64 endNs = 0;
    qint64 endCpuNs = 0;
    QEventLoop loop;
    QObject::connect(torqueGain, qOverload<int>(&QSpinBox::valueChanged), &loop, [&] {
        if (++applied == count) {
            endNs = Bench::monotonicNs();
            endCpuNs = Bench::processCpuNs();
            loop.quit();
        }
    });

    int resultPipe[2];
    if (::pipe2(resultPipe, O_CLOEXEC) != 0) {
        out << "error: no pipe" << Qt::endl;
        return 1;
    }
    const int master = pty.masterFd();
    const qint64 startNs = Bench::monotonicNs();
    const qint64 startCpuNs = Bench::processCpuNs();
    const pid_t writer = Bench::forkChild([&] {
        ::close(resultPipe[0]);
        return writeStream(master, stream, count, resultPipe[1]);
    });
    ::close(resultPipe[1]);
    if (writer < 0) {
        out << "error: fork failed" << Qt::endl;
        return 1;
    }

    WriterResult result;
    bool resultRead = false;
    const auto readResult = [&] {
        resultRead = true;
        if (::read(resultPipe[0], &result, sizeof result) != ssize_t(sizeof result))
            result.failed = 1;
    };
    QSocketNotifier writerDone(resultPipe[0], QSocketNotifier::Read);
    QTimer drainLimit;
    drainLimit.setSingleShot(true);
    QObject::connect(&drainLimit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&writerDone, &QSocketNotifier::activated, &loop, [&] {
        writerDone.setEnabled(false);
        readResult();
        drainLimit.start(kDrainLimitMs);
    });
    if (applied < count)
        loop.exec();
    if (endNs == 0) {
        endNs = Bench::monotonicNs();
        endCpuNs = Bench::processCpuNs();
    }
    // The last answer can be applied before the writer's report is read.
    const int status = Bench::waitChild(writer).status;
    if (!resultRead)
        readResult();
    ::close(resultPipe[0]);
    if (status != 0 || result.failed) {
        out << "error: the writer failed after " << result.sent << " frames" << Qt::endl;
        return 1;
    }

    const double wallMs = double(endNs - startNs) / 1e6;
    const double cpuMs = double(endCpuNs - startCpuNs) / 1e6;
    out << "sustained_seconds: " << Bench::figure(wallMs / 1000) << Qt::endl;
    out << "sustained_answers_sent: " << result.sent << Qt::endl;
    out << "sustained_answers_applied: " << applied << Qt::endl;
    out << "sustained_answers_lost: " << result.sent - applied << " (target 0)" << Qt::endl;
    out << "sustained_writer_max_late_ms: " << Bench::figure(double(result.maxLateNs) / 1e6)
        << Qt::endl;
    out << "sustained_cpu_ms: " << Bench::figure(cpuMs) << Qt::endl;
    out << "sustained_cpu_ms_per_answer: " << Bench::figure(applied ? cpuMs / applied : 0)
        << " (target <= 0.2)" << Qt::endl;
    out << "sustained_cpu_share_of_one_core: " << Bench::figure(cpuMs / wallMs) << Qt::endl;
    return 0;
}
