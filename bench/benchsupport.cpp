#include "benchsupport.h"

#include "doctor/linefinding.h"
#include "files/filesaver.h"
#include "pseudoterminal.h"
#include "servosimulator.h"
#include "windowtest.h"

#include <QFile>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Bench {

double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const double rank = std::ceil(fraction * double(samples.size()));
    const std::size_t index = std::size_t(std::clamp(rank, 1.0, double(samples.size()))) - 1;
    return samples[index];
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

ServoThread::ServoThread(int count, bool plugged) : m_thread(new QThread)
{
    m_thread->start();
    for (int i = 0; i < count; ++i) {
        auto *servo = new ServoSimulator;
        servo->setAnswerDelay(qRound(2 * frameOnLineMs()));
        servo->setSilent(!plugged);
        servo->moveToThread(m_thread);
        m_servos.push_back(servo);
        m_ports.append(servo->slavePath());
    }
}

ServoThread::~ServoThread()
{
    for (ServoSimulator *servo : m_servos)
        QMetaObject::invokeMethod(servo, &QObject::deleteLater);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

void ServoThread::plug(int index, bool in)
{
    ServoSimulator *servo = m_servos.at(std::size_t(index));
    QMetaObject::invokeMethod(servo, [servo, in] { servo->setSilent(!in); });
}

double frameOnLineMs()
{
    // A request and its answer, the same length each.
    return LineFinding::wireMs() / 2;
}

void useOffscreenPlatformByDefault()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// ---- Child processes -------------------------------------------------------

pid_t forkChild(const std::function<int()> &work)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work());
    return pid;
}

Exit waitChild(pid_t pid)
{
    int status = 0;
    rusage usage{};
    pid_t r;
    do
        r = ::wait4(pid, &status, 0, &usage);
    while (r < 0 && errno == EINTR);
    Exit ended;
    ended.endNs = monotonicNs();
    ended.maxRssKiB = usage.ru_maxrss;
    if (r == pid && WIFEXITED(status))
        ended.status = WEXITSTATUS(status);
    return ended;
}

pid_t startProgram(const QStringList &command, int *output, bool quiet)
{
    int out[2] = {-1, -1};
    if (output && ::pipe2(out, O_CLOEXEC) != 0)
        return -1;
    // Everything the child needs is made before fork: after it, the child
    // only makes system calls.
    std::vector<QByteArray> args;
    for (const QString &a : command)
        args.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = forkChild([&] {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(output ? out[1] : null, STDOUT_FILENO);
        if (quiet)
            ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        return 127;
    });
    if (output) {
        ::close(out[1]);
        if (pid < 0)
            ::close(out[0]);
        *output = pid < 0 ? -1 : out[0];
    }
    return pid;
}

Run runProgram(const QStringList &command, bool capture)
{
    Run run;
    int out = -1;
    run.startNs = monotonicNs();
    const pid_t pid = startProgram(command, capture ? &out : nullptr);
    if (pid < 0)
        return run;
    for (char buf[256]; out >= 0;) {
        const ssize_t n = ::read(out, buf, sizeof buf);
        if (n > 0)
            run.output.append(buf, int(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    if (out >= 0)
        ::close(out);
    static_cast<Exit &>(run) = waitChild(pid);
    return run;
}

// ---- The simulator's process -----------------------------------------------

SimulatorProcess::~SimulatorProcess()
{
    stop();
}

bool SimulatorProcess::start(const QString &program, const QStringList &arguments)
{
    int out = -1;
    // Its closing summary would land among the figures.
    m_pid = startProgram(QStringList(program) + arguments, &out, true);
    if (m_pid < 0) {
        m_error = FileSaver::reason(errno);
        return false;
    }
    // One line: the slave's path. A simulator that cannot start says
    // nothing and exits, which ends the read.
    QByteArray line;
    const qint64 deadline = monotonicNs() + 10 * qint64(1000000000);
    while (!line.endsWith('\n')) {
        const qint64 left = (deadline - monotonicNs()) / 1000000;
        pollfd pfd{out, POLLIN, 0};
        if (left <= 0 || ::poll(&pfd, 1, int(left)) <= 0)
            break;
        char c;
        const ssize_t n = ::read(out, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        line.append(c);
    }
    ::close(out);
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
    const int status = waitChild(m_pid).status;
    m_pid = -1;
    return status == 0;
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

bool showWindowOn(QWidget &window, const PseudoTerminal &pty, QTextStream &out)
{
    if (pty.isOpen())
        return showWindowOn(window, pty.slavePath(), out);
    out << "error: no pseudo-terminal: " << pty.errorString() << Qt::endl;
    return false;
}

} // namespace Bench
