#ifndef NIMBAL_TESTS_SPECIALFILES_H
#define NIMBAL_TESTS_SPECIALFILES_H

// What a file to be saved can be beyond a regular file of one's own: a
// FIFO, a device node, another user's file, a file on a full disk. Each
// maker is false when it could not make it. POSIX only.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace SpecialFiles {

// The user that owns the files made for another user, and as whom a
// program runs that must not have root's rights: nobody.
inline constexpr uid_t kNobody = 65534;

inline bool isRoot()
{
    return ::geteuid() == 0;
}

// A FIFO at `path` and a reader of it that does not wait: the reader's
// descriptor, or -1.
inline int makeFifo(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkfifo(native.constData(), 0600) != 0)
        return -1;
    return ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

// A character device node of the test's own at `path`, never the
// system's: makeDevice(path, 1, 3) is a null device, (1, 7) a full one.
// Needs root.
inline bool makeDevice(const QString &path, unsigned major, unsigned minor)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(major, minor)) == 0;
}

// The file at `path` goes to nobody, who alone may read and write it.
// Needs root.
inline bool giveAway(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    return ::chown(native.constData(), kNobody, kNobody) == 0 &&
           ::chmod(native.constData(), 0600) == 0;
}

// Fills the disk that holds `folder` up to its last byte with a file of
// its own there.
inline void fill(const QString &folder)
{
    QFile filler(folder + QStringLiteral("/filler"));
    if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("x", 1) == 1) {
        }
    }
}

} // namespace SpecialFiles

#endif
