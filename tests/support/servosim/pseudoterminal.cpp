#include "pseudoterminal.h"

#include <asm/termbits.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "files/filesaver.h"

#include <QElapsedTimer>
#include <QFile>

PseudoTerminal::PseudoTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        closeMaster();
        return;
    }
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        closeMaster();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);

    // Raw mode, so the line discipline neither echoes nor rewrites bytes.
    struct termios2 tio;
    if (::ioctl(m_master, TCGETS2, &tio) == 0) {
        tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
        tio.c_oflag &= ~OPOST;
        tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        tio.c_cflag &= ~(CSIZE | PARENB);
        tio.c_cflag |= CS8;
        ::ioctl(m_master, TCSETS2, &tio);
    }
}

PseudoTerminal::~PseudoTerminal()
{
    closeMaster();
    if (m_heldSlave >= 0)
        ::close(m_heldSlave);
}

bool PseudoTerminal::holdSlaveOpen()
{
    if (m_heldSlave >= 0)
        return true;
    m_heldSlave = ::open(QFile::encodeName(m_slavePath).constData(),
                         O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_heldSlave < 0)
        m_error = QString::fromLocal8Bit(std::strerror(errno));
    return m_heldSlave >= 0;
}

void PseudoTerminal::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

bool PseudoTerminal::setBlocking(bool blocking)
{
    const int flags = m_master < 0 ? -1 : ::fcntl(m_master, F_GETFL);
    const int wanted = blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK;
    if (flags < 0 || ::fcntl(m_master, F_SETFL, wanted) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(m_master < 0 ? EBADF : errno));
        return false;
    }
    return true;
}

bool PseudoTerminal::write(const QByteArray &bytes)
{
    // A full queue that no one drains (no opener, or one that stopped
    // reading) must not hang the writer: give up after this long.
    constexpr int kStallLimitMs = 2000;
    if (FileSaver::writeAll(m_master, bytes, kStallLimitMs))
        return true;
    m_error = errno == ETIMEDOUT ? QStringLiteral("write stalled: no one reads the slave side")
                                 : QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

QByteArray PseudoTerminal::readAvailable()
{
    return readAvailable(nullptr);
}

QByteArray PseudoTerminal::readAvailable(bool *peerGone)
{
    QByteArray out;
    char buf[4096];
    bool gone = false;
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        gone = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    if (peerGone)
        *peerGone = gone;
    return out;
}

bool PseudoTerminal::peerOpen() const
{
    if (m_master < 0)
        return false;
    pollfd pfd{m_master, POLLIN, 0};
    if (::poll(&pfd, 1, 0) < 0)
        return false;
    return (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
}

QByteArray PseudoTerminal::read(int timeoutMs, int atLeast)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (out.size() < atLeast) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            break;
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, int(left)) <= 0)
            break;
        const QByteArray chunk = readAvailable();
        if (chunk.isEmpty())
            break;
        out += chunk;
    }
    return out;
}

bool PseudoTerminal::lineSettings(unsigned *baudRate, bool *twoStopBits, int *dataBits,
                                  bool *parity) const
{
    // On a master, the terminal ioctls report the slave's settings.
    struct termios2 tio;
    if (m_master < 0 || ::ioctl(m_master, TCGETS2, &tio) != 0)
        return false;
    if (baudRate)
        *baudRate = tio.c_ospeed;
    if (twoStopBits)
        *twoStopBits = (tio.c_cflag & CSTOPB) != 0;
    if (dataBits) {
        switch (tio.c_cflag & CSIZE) {
        case CS5:
            *dataBits = 5;
            break;
        case CS6:
            *dataBits = 6;
            break;
        case CS7:
            *dataBits = 7;
            break;
        default:
            *dataBits = 8;
            break;
        }
    }
    if (parity)
        *parity = (tio.c_cflag & PARENB) != 0;
    return true;
}
