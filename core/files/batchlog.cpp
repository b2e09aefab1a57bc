#include "files/batchlog.h"

#include "files/filesaver.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Whether the data written so far is on the disk.
bool synced(int fd)
{
#ifdef Q_OS_WIN
    return ::_commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

// Cuts the file back to `size` bytes.
bool cutBack(int fd, qint64 size)
{
#ifdef Q_OS_WIN
    return ::_chsize_s(fd, size) == 0;
#else
    return ::ftruncate(fd, off_t(size)) == 0;
#endif
}

} // namespace

BatchLog::~BatchLog()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString BatchLog::field(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool BatchLog::open(const QString &path, const QStringList &header, QString *reason)
{
    int flags = O_WRONLY | O_APPEND | O_CREAT;
#ifdef Q_OS_WIN
    flags |= O_BINARY;
#else
    flags |= O_CLOEXEC | O_NOCTTY;
#endif
    m_fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
    if (m_fd < 0) {
        *reason = FileSaver::reason(errno);
        return false;
    }
    struct stat info = {};
    if (::fstat(m_fd, &info) != 0) {
        *reason = FileSaver::reason(errno);
        return false;
    }
    m_regular = S_ISREG(info.st_mode);
    // A file that holds rows already gets more rows, not a second header.
    if (m_regular && info.st_size > 0)
        return true;
    return append(header, reason);
}

bool BatchLog::append(const QStringList &fields, QString *reason)
{
    const QByteArray row = fields.join(QLatin1Char(',')).toUtf8() + '\n';
    struct stat before = {};
    if (m_regular && ::fstat(m_fd, &before) != 0) {
        *reason = FileSaver::reason(errno);
        return false;
    }
    if (FileSaver::writeAll(m_fd, row) && (!m_regular || synced(m_fd)))
        return true;
    *reason = FileSaver::reason(errno);
    if (m_regular && !cutBack(m_fd, before.st_size))
        *reason += QStringLiteral("; and the part written could not be taken back: %1")
                       .arg(FileSaver::reason(errno));
    return false;
}
