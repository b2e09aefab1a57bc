#ifndef NIMBAL_BENCHSUPPORT_H
#define NIMBAL_BENCHSUPPORT_H

// What the benchmarks share. The clocks and figure() are inline on Qt Core
// alone, so the receiver benchmark (on every platform) and the start-up
// probe use them without linking the rest: child processes, the simulated
// servo and the window, POSIX only, in benchsupport.cpp. The window itself
// the benchmarks reach through the tests' WindowTest and WindowControls.

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <cmath>
#include <functional>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/types.h>
#include <time.h>
#endif

class PseudoTerminal;
class QThread;
class ServoSimulator;
class QWidget;

namespace Bench {

#ifdef Q_OS_UNIX
inline qint64 clockNs(clockid_t clock)
{
    timespec ts{};
    ::clock_gettime(clock, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// CLOCK_MONOTONIC, one clock for every process on the machine: a child's
// reading can be set against the parent's.
inline qint64 monotonicNs()
{
    return clockNs(CLOCK_MONOTONIC);
}

// CPU time of the calling thread: time that other processes on a shared
// machine take does not count.
inline qint64 threadCpuNs()
{
    return clockNs(CLOCK_THREAD_CPUTIME_ID);
}

// User plus system CPU time of this process (all its threads, none of its
// children).
inline qint64 processCpuNs()
{
    return clockNs(CLOCK_PROCESS_CPUTIME_ID);
}
#else
// No thread clock here: wall time, which counts other processes' too.
inline qint64 threadCpuNs()
{
    static QElapsedTimer wall;
    if (!wall.isValid())
        wall.start();
    return wall.nsecsElapsed();
}
#endif

// "1.234" with three decimals below 10, two above.
inline QString figure(double value)
{
    return QString::number(value, 'f', std::fabs(value) < 10 ? 3 : 2);
}

#ifdef Q_OS_UNIX

// The nearest rank: the smallest sample with at least `fraction` (0 to 1)
// of the samples at or below it, so every figure is one that was measured.
// The median is the fraction 0.5: of an even count, the lower of the two
// middle samples.
double percentile(std::vector<double> samples, double fraction);

// Resident set size of this process in KiB.
long residentKiB();

// Milliseconds one frame takes on the servo's line at its baud rate, each
// byte a start bit, eight data bits and two stop bits (1.98 ms).
double frameOnLineMs();

// How long a forked writer waits for a reader that takes no byte before it
// gives up (FileSaver::writeAll's stallMs).
constexpr int kWriteStallMs = 5000;

// Runs the benchmarks headless unless the caller chose a platform.
void useOffscreenPlatformByDefault();

// Forks a child that runs `work` and leaves with its result through
// _exit(), so none of the parent's exit handlers or Qt objects run twice.
// The parent may have threads: the child keeps to system calls and memory
// of its own (glibc's malloc stays usable across fork; no other lock does).
// -1 when fork fails.
pid_t forkChild(const std::function<int()> &work);

// How a child ended: its exit status (-1 if it did not exit normally), the
// monotonic clock then, and its peak resident memory from wait4().
struct Exit
{
    int status = -1;
    qint64 endNs = 0;
    long maxRssKiB = 0;
};
Exit waitChild(pid_t pid);

// Starts `command`, a program and its arguments, in a child by fork and
// exec. Its standard output goes into a pipe whose read end `*output` gets,
// or without `output` to /dev/null; its standard error to /dev/null when
// `quiet`, else where this process's goes. -1 when it cannot start.
pid_t startProgram(const QStringList &command, int *output = nullptr, bool quiet = false);

// One whole run of `command`: how it ended, the clock just before it
// started, and with `capture` what it printed.
struct Run : Exit
{
    qint64 startNs = 0;
    QByteArray output;
};
Run runProgram(const QStringList &command, bool capture = false);

// Simulated servos in a thread of their own, so that their work is not
// counted as the caller's. Each answers after the time a request and its
// answer take on a real line, which a pseudo-terminal does not take.
class ServoThread
{
public:
    // `count` servos, plugged in or not.
    ServoThread(int count, bool plugged);
    ~ServoThread();
    ServoThread(const ServoThread &) = delete;
    ServoThread &operator=(const ServoThread &) = delete;

    QStringList ports() const { return m_ports; }
    // Plugs the servo on the `index`th port in, or unplugs it (it stops
    // answering), from any thread.
    void plug(int index, bool in);

private:
    QThread *m_thread;
    std::vector<ServoSimulator *> m_servos;
    QStringList m_ports;
};

// nimbal-servo-sim in a process of its own. Started with `arguments`, it
// prints the slave path of its pseudo-terminal, which slavePath() returns.
class SimulatorProcess
{
public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    bool start(const QString &program, const QStringList &arguments = {});
    // SIGTERM, then waits for it; true when it ended on its own terms.
    bool stop();
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

private:
    pid_t m_pid = -1;
    QString m_slavePath;
    QString m_error;
};

// Shows the window and chooses `path` in its port list; says why not on
// `out` and returns false when the port does not open.
bool showWindowOn(QWidget &window, const QString &path, QTextStream &out);
// The same on the slave side of `pty`, which must have opened.
bool showWindowOn(QWidget &window, const PseudoTerminal &pty, QTextStream &out);

#endif

} // namespace Bench

#endif
