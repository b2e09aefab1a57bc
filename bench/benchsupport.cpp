#include "benchsupport.h"

#include "windowtest.h"

#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Bench {

qint64 monotonicNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

qint64 processCpuNs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval &tv) {
        return qint64(tv.tv_sec) * 1000000000 + tv.tv_usec * 1000;
    };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

long residentKiB()
{
    FILE *f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return -1;
    long size = 0;
    long resident = -1;
    if (std::fscanf(f, "%ld %ld", &size, &resident) != 2)
        resident = -1;
    std::fclose(f);
    return resident < 0 ? -1 : resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const double rank = std::ceil(fraction * double(samples.size()));
    const std::size_t index = std::size_t(std::clamp(rank, 1.0, double(samples.size()))) - 1;
    return samples[index];
}

QString figure(double value)
{
    return QString::number(value, 'f', std::fabs(value) < 10 ? 3 : 2);
}

void useOffscreenPlatformByDefault()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// ---- The simulator's process -----------------------------------------------

SimulatorProcess::~SimulatorProcess()
{
    stop();
}

bool SimulatorProcess::start(const QString &program, const QStringList &arguments)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Everything the child needs is prepared before fork: after it, the
    // child may only make system calls.
    std::vector<QByteArray> args{program.toLocal8Bit()};
    for (const QString &a : arguments)
        args.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    m_pid = ::fork();
    if (m_pid < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(out[0]);
        ::close(out[1]);
        return false;
    }
    if (m_pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        // Its closing summary would land among the figures.
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0)
            ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);

    // One line: the slave's path. A simulator that cannot start says
    // nothing and exits, which ends the read.
    QByteArray line;
    const qint64 deadline = monotonicNs() + 10 * qint64(1000000000);
    while (!line.endsWith('\n')) {
        const qint64 left = (deadline - monotonicNs()) / 1000000;
        pollfd pfd{out[0], POLLIN, 0};
        if (left <= 0 || ::poll(&pfd, 1, int(left)) <= 0)
            break;
        char c;
        const ssize_t n = ::read(out[0], &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        line.append(c);
    }
    ::close(out[0]);
    m_slavePath = QString::fromLocal8Bit(line.trimmed());
    if (!line.endsWith('\n') || m_slavePath.isEmpty()) {
        m_error = QStringLiteral("%1 printed no slave path").arg(program);
        stop();
        return false;
    }
    return true;
}

bool SimulatorProcess::stop()
{
    if (m_pid <= 0)
        return false;
    ::kill(m_pid, SIGTERM);
    const int status = waitChild(m_pid);
    m_pid = -1;
    return status == 0;
}

// ---- Forked helpers --------------------------------------------------------

pid_t forkChild(const std::function<int()> &work)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work());
    return pid;
}

int waitChild(pid_t pid)
{
    int status = 0;
    pid_t r;
    do
        r = ::waitpid(pid, &status, 0);
    while (r < 0 && errno == EINTR);
    if (r != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        pollfd pfd{fd, POLLOUT, 0};
        if (::poll(&pfd, 1, 5000) <= 0 || (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return false;
    }
    return true;
}

// ---- The window ------------------------------------------------------------

bool showWindowOn(QWidget &window, const QString &path, QTextStream &out)
{
    window.show();
    if (WindowTest::choosePort(window, path))
        return true;
    out << "error: " << path << " did not open" << Qt::endl;
    return false;
}

} // namespace Bench
