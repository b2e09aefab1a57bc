#ifndef NIMBAL_TESTS_MOUNT_H
#define NIMBAL_TESTS_MOUNT_H

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// A file system mounted for the length of a test: a small disk that fills
// up, or a file bound over another so that the other cannot be replaced.
// Needs root on Linux; isMounted() is false where it cannot be done.
class Mount
{
public:
    Mount(const QStringList &arguments, const QString &target) : m_target(target)
    {
#ifdef Q_OS_UNIX
        if (::geteuid() == 0)
            m_mounted =
                QProcess::execute(QStringLiteral("mount"), arguments + QStringList{target}) == 0;
#else
        Q_UNUSED(arguments);
#endif
    }
    ~Mount()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_target});
    }
    Mount(const Mount &) = delete;
    Mount &operator=(const Mount &) = delete;

    // A disk of 64 KiB (sixteen pages) on the folder `folder`.
    static std::unique_ptr<Mount> smallDisk(const QString &folder)
    {
        return std::make_unique<Mount>(QStringList{QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                   QStringLiteral("-o"), QStringLiteral("size=64k"),
                                                   QStringLiteral("tmpfs")},
                                       folder);
    }

    // The file `source` bound over the file `target`: the target is busy,
    // and a rename over it fails.
    static std::unique_ptr<Mount> boundFile(const QString &source, const QString &target)
    {
        return std::make_unique<Mount>(QStringList{QStringLiteral("--bind"), source}, target);
    }

    bool isMounted() const
    {
        return m_mounted;
    }

private:
    QString m_target;
    bool m_mounted = false;
};

#endif
