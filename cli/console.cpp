#include "console.h"

#include "text/linktext.h"

#include "files/filesaver.h"

#include <QLocale>
#include <QTime>

#include <atomic>
#include <cerrno>
#include <csignal>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

std::atomic<bool> qtMessagesShown{false};

void qtMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    if (!qtMessagesShown)
        return;
    const QByteArray line = "nimbalctl: Qt: " + Console::escaped(text).toLocal8Bit() + '\n';
    [[maybe_unused]] const auto n = ::write(2, line.constData(), unsigned(line.size()));
}

#ifdef Q_OS_WIN
// The console a standard stream shows on, if it is one.
HANDLE consoleOf(int fd)
{
    const HANDLE handle = GetStdHandle(fd == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}
#endif

} // namespace

Console::Console() = default;

void Console::secureStandardStreams()
{
#ifndef Q_OS_WIN
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int opened = ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
#endif
    qInstallMessageHandler(qtMessage);
}

void Console::showQtMessages(bool shown)
{
    qtMessagesShown = shown;
}

QString Console::escaped(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u >= 0x20 && u != 0x7F && !(u >= 0x80 && u < 0xA0)) {
            safe += c;
        } else if (u == '\n') {
            safe += QLatin1String("\\n");
        } else if (u == '\r') {
            safe += QLatin1String("\\r");
        } else if (u == '\t') {
            safe += QLatin1String("\\t");
        } else {
            safe += QLatin1String("\\x") +
                    QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        }
    }
    return safe;
}

bool Console::write(Stream &stream, const QString &text)
{
    if (stream.failed)
        return false;
#ifdef Q_OS_WIN
    if (const HANDLE console = consoleOf(stream.fd)) {
        DWORD written = 0;
        if (WriteConsoleW(console, text.utf16(), DWORD(text.size()), &written, nullptr))
            return true;
    }
#endif
    if (FileSaver::writeAll(stream.fd, text.toLocal8Bit()))
        return true;
    stream.failed = true;
    const int error = errno;
    // Said on standard error, unless that is what failed.
    if (&stream == &m_out)
        message(QLatin1String(stream.name), FileSaver::reason(error));
    return false;
}

void Console::out(const QString &line)
{
    write(m_out, escaped(line) + QLatin1Char('\n'));
}

void Console::outText(const QString &text)
{
    write(m_out, text);
}

void Console::message(const QString &subject, const QString &text)
{
    message(subject + QLatin1String(": ") + text);
}

void Console::message(const QString &text)
{
    write(m_err, QLatin1String("nimbalctl: ") + escaped(text) + QLatin1Char('\n'));
}

void Console::trace(const char *direction, const QByteArray &bytes)
{
    // ASCII digits whatever the locale.
    const QString time =
        QLocale::c().toString(QTime::currentTime(), QStringLiteral("HH:mm:ss.zzz"));
    write(m_err,
          QStringLiteral("%1 %2 %3\n").arg(time, QLatin1String(direction), LinkText::hex(bytes)));
}
