#ifndef NIMBAL_BENCHSUPPORT_H
#define NIMBAL_BENCHSUPPORT_H

// What the benchmarks that drive the real window share: clocks, process
// figures, a simulated servo in its own process and forked helpers. The
// window itself they reach through the tests' WindowTest and
// WindowControls. POSIX only.

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <sys/types.h>
#include <vector>

class QWidget;

namespace Bench {

// CLOCK_MONOTONIC in nanoseconds.
qint64 monotonicNs();
// User plus system CPU time of this process (all its threads, none of its
// children), in nanoseconds.
qint64 processCpuNs();
// Resident set size of this process in KiB.
long residentKiB();

// The value below which `fraction` (0 to 1) of the samples lie; the median
// at 0.5. Nearest rank, so every figure is one that was measured.
double percentile(std::vector<double> samples, double fraction);

// "1.234" with three decimals below 10, two above.
QString figure(double value);

// Runs the benchmarks headless unless the caller chose a platform.
void useOffscreenPlatformByDefault();

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

// Forks a child that runs `work` and leaves with its result through
// _exit(), so none of the parent's exit handlers or Qt objects run twice.
// The child must keep to system calls and memory it owns: the parent may
// have threads. -1 when fork fails.
pid_t forkChild(const std::function<int()> &work);
// Waits for the child; its exit status, or -1 if it did not exit normally.
int waitChild(pid_t pid);

// Writes all of `size` bytes to a non-blocking descriptor, waiting in
// poll() while it is full. False on error.
bool writeAll(int fd, const char *data, size_t size);

// Shows the window and chooses `path` in its port list; says why not on
// `out` and returns false when the port does not open.
bool showWindowOn(QWidget &window, const QString &path, QTextStream &out);

} // namespace Bench

#endif
