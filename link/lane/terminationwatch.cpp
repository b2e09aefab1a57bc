#include "lane/terminationwatch.h"

#include <QSocketNotifier>
#include <QTimer>

#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

volatile std::sig_atomic_t requestedMark = 0;

#ifdef Q_OS_UNIX
int wakeUp[2] = {-1, -1};
#endif

extern "C" void markRequest(int)
{
    requestedMark = 1;
#ifdef Q_OS_UNIX
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeUp[1], &c, 1);
#endif
}

// How often the mark is looked at where no socket wakes the loop.
constexpr int kPollMs = 100;

} // namespace

TerminationWatch::TerminationWatch(QObject *parent) : QObject(parent)
{
    requestedMark = 0;
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeUp) == 0) {
        m_notifier = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            char c = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeUp[0], &c, 1);
            emit requested();
        });
        struct sigaction action = {};
        action.sa_handler = markRequest;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
        return;
    }
#endif
    std::signal(SIGINT, markRequest);
    std::signal(SIGTERM, markRequest);
    m_poll = new QTimer(this);
    connect(m_poll, &QTimer::timeout, this, [this] {
        if (requestedMark) {
            requestedMark = 0;
            emit requested();
        }
    });
    m_poll->start(kPollMs);
}

TerminationWatch::~TerminationWatch()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
#ifdef Q_OS_UNIX
    if (m_notifier) {
        delete m_notifier;
        ::close(wakeUp[0]);
        ::close(wakeUp[1]);
        wakeUp[0] = wakeUp[1] = -1;
    }
#endif
}
