#ifndef NIMBAL_TESTS_MOUNT_H
#define NIMBAL_TESTS_MOUNT_H

#include <QProcess>
#include <QString>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// A file system mounted for the length of a test: a small disk that fills
// up ({"-t", "tmpfs", "-o", "size=64k", "tmpfs"}), or a file bound over
// another ({"--bind", source}) so that the other cannot be replaced. Needs
// root on Linux; isMounted() is false where it cannot be done.
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

    bool isMounted() const
    {
        return m_mounted;
    }

private:
    QString m_target;
    bool m_mounted = false;
};

#endif
