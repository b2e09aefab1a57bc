#include "stdinlines.h"

#include <QMutex>
#include <QQueue>

#include <cerrno>
#include <thread>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

struct StdinLines::Shared
{
    mutable QMutex mutex;
    QQueue<QString> lines;
    bool ended = false;
    StdinLines *owner = nullptr; // null once the owner has gone
};

namespace {

// Up to `size` bytes of standard input; 0 at its end or on an error.
qint64 readSome(char *buffer, qint64 size)
{
#ifdef Q_OS_WIN
    DWORD got = 0;
    if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, DWORD(size), &got, nullptr))
        return 0;
    return qint64(got);
#else
    for (;;) {
        const ssize_t got = ::read(0, buffer, size_t(size));
        if (got >= 0 || errno != EINTR)
            return qMax<qint64>(0, got);
    }
#endif
}

} // namespace

StdinLines::StdinLines(QObject *parent) : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

StdinLines::~StdinLines()
{
    const QMutexLocker lock(&m_shared->mutex);
    m_shared->owner = nullptr;
}

void StdinLines::start()
{
    std::thread([shared = m_shared] {
        // Tells the owner, on its own thread, while it is there.
        const auto deliver = [&shared](const QByteArray *line) {
            const QMutexLocker lock(&shared->mutex);
            if (line)
                shared->lines.enqueue(QString::fromUtf8(*line));
            else
                shared->ended = true;
            if (StdinLines *owner = shared->owner)
                QMetaObject::invokeMethod(owner, &StdinLines::arrived, Qt::QueuedConnection);
        };
        QByteArray line;
        char buffer[512];
        qint64 got = 0;
        while ((got = readSome(buffer, sizeof buffer)) > 0) {
            for (qint64 i = 0; i < got; ++i) {
                if (buffer[i] == '\n') {
                    if (line.endsWith('\r'))
                        line.chop(1);
                    deliver(&line);
                    line.clear();
                } else if (line.size() < kLongest) {
                    line += buffer[i];
                }
            }
        }
        if (!line.isEmpty())
            deliver(&line);
        deliver(nullptr);
    }).detach();
}

std::optional<QString> StdinLines::take()
{
    const QMutexLocker lock(&m_shared->mutex);
    if (m_shared->lines.isEmpty())
        return std::nullopt;
    return m_shared->lines.dequeue();
}

bool StdinLines::atEnd() const
{
    const QMutexLocker lock(&m_shared->mutex);
    return m_shared->ended && m_shared->lines.isEmpty();
}
