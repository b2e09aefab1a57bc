#include "files/filesaver.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <io.h>
#endif

namespace {

using Problem = FileSaver::Problem;
using Place = Problem::Place;

#ifdef Q_OS_UNIX

Problem systemProblem(Place place, int error, const QString &folder = QString())
{
    return {place, error, FileSaver::reason(error), folder};
}

// Whether the symbolic links from `path` lead through /proc, as /dev/stdout
// and /dev/fd/N do: such a name stands for an open descriptor, which is
// written to, never replaced.
bool namesADescriptor(const QString &path)
{
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops) {
        const QString target = info.symLinkTarget();
        if (target.startsWith(QLatin1String("/proc/")))
            return true;
        info.setFile(target);
    }
    return false;
}

std::optional<Problem> writeThrough(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemProblem(Place::File, errno);
    const bool written = FileSaver::writeAll(fd, bytes);
    const int error = errno;
    if (::close(fd) != 0 && written)
        return systemProblem(Place::File, errno);
    if (!written)
        return systemProblem(Place::File, error);
    return std::nullopt;
}

// The new file takes the old one's mode and owner; a new name gets the
// mode the process's umask leaves of 0666.
std::optional<Problem> takeOver(int fd, const struct stat *old)
{
    if (!old) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0)
            return systemProblem(Place::File, errno);
        return std::nullopt;
    }
    const uid_t uid = old->st_uid == ::geteuid() ? uid_t(-1) : old->st_uid;
    const gid_t gid = old->st_gid == ::getegid() ? gid_t(-1) : old->st_gid;
    if ((uid != uid_t(-1) || gid != gid_t(-1)) && ::fchown(fd, uid, gid) != 0)
        return systemProblem(Place::Owner, errno);
    if (::fchmod(fd, old->st_mode & 07777) != 0)
        return systemProblem(Place::File, errno);
    return std::nullopt;
}

std::optional<Problem> replace(const QString &path, const QByteArray &bytes, const struct stat *old)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    QByteArray temporary = QFile::encodeName(folder + QLatin1String("/.") + info.fileName() +
                                             QLatin1String(".XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return systemProblem(Place::Folder, errno, folder);
    std::optional<Problem> problem = takeOver(fd, old);
    if (!problem && !FileSaver::writeAll(fd, bytes))
        problem = systemProblem(Place::File, errno);
    if (!problem && ::fsync(fd) != 0)
        problem = systemProblem(Place::File, errno);
    if (::close(fd) != 0 && !problem)
        problem = systemProblem(Place::File, errno);
    if (!problem && ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        // A busy or changed target is the file's doing; the rest, the folder's.
        problem = error == EBUSY || error == EISDIR || error == ENOTDIR
                      ? systemProblem(Place::File, error)
                      : systemProblem(Place::Folder, error, folder);
    }
    if (problem)
        ::unlink(temporary.constData());
    return problem;
}

#endif

} // namespace

QString FileSaver::reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool FileSaver::writeAll(int fd, const QByteArray &bytes, int stallMs)
{
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 n = ::write(fd, p, unsigned(left));
        if (n < 0 && errno == EINTR)
            continue;
#ifdef Q_OS_UNIX
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A descriptor left non-blocking by whoever opened it.
            pollfd ready{fd, POLLOUT, 0};
            const int events = ::poll(&ready, 1, stallMs);
            if ((events > 0 && (ready.revents & POLLOUT)) || (events < 0 && errno == EINTR))
                continue;
            if (events >= 0) // no room in time, or none to come: the other end is gone
                errno = events == 0 ? ETIMEDOUT : EIO;
            return false;
        }
#else
        Q_UNUSED(stallMs);
#endif
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

std::optional<Problem> FileSaver::save(const QString &path, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    if (namesADescriptor(path))
        return writeThrough(path, bytes);
    // A link is followed, so the file it names is replaced, not the link;
    // a link to a file not made yet gets that file.
    QFileInfo info(path);
    QString target = path;
    if (info.exists()) {
        if (info.isSymLink())
            target = info.canonicalFilePath();
    } else {
        for (int hops = 0; info.isSymLink() && hops < 40; ++hops) {
            target = info.symLinkTarget();
            info.setFile(target);
        }
    }
    struct stat old = {};
    if (::stat(QFile::encodeName(target).constData(), &old) != 0) {
        if (errno != ENOENT)
            return systemProblem(Place::File, errno);
        return replace(target, bytes, nullptr);
    }
    if (S_ISREG(old.st_mode))
        return replace(target, bytes, &old);
    if (S_ISFIFO(old.st_mode) || S_ISCHR(old.st_mode))
        return writeThrough(target, bytes);
    return Problem{Place::NotAFile, 0, QString(), QString()};
#else
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Problem{Place::File, 0, file.errorString(), QString()};
    return std::nullopt;
#endif
}
