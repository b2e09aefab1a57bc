#include "port/portproblem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// Whether this process may not open the device for reading and writing
// because of its permissions while members of its group may: the group's
// name and whether the user is listed in it.
bool deniedByGroup(const QString &location, QString *group, bool *memberOfGroup)
{
    const QByteArray path = QFile::encodeName(location);
    if (::access(path.constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return false;
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0)
        return false;
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return false;
    const struct group *owner = ::getgrgid(info.st_gid);
    if (!owner)
        return false;
    *group = QString::fromLocal8Bit(owner->gr_name);
    *memberOfGroup = false;
    const struct passwd *user = ::getpwuid(::geteuid());
    if (user) {
        for (char **member = owner->gr_mem; member && *member; ++member) {
            if (std::strcmp(*member, user->pw_name) == 0)
                *memberOfGroup = true;
        }
    }
    return true;
}
#endif

#ifdef Q_OS_LINUX
// The first other process with the device open, by its name and number,
// as far as /proc lets this user see.
QString holderOf(const QString &location)
{
    const QString device = QFileInfo(location).canonicalFilePath();
    const QString self = QString::number(::getpid());
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        if (pid == self || pid.toInt() <= 0)
            continue;
        const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
        const QFileInfoList links = QDir(fds).entryInfoList(QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &link : links) {
            if (link.symLinkTarget() != device)
                continue;
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            const QString name = comm.open(QIODevice::ReadOnly)
                                     ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                                     : QStringLiteral("a program");
            return QStringLiteral("%1 (pid %2)").arg(name, pid);
        }
    }
    return QString();
}
#endif

} // namespace

PortProblem PortProblem::diagnose(const QString &location, QSerialPort::SerialPortError error,
                                  const QString &systemReason)
{
    PortProblem problem;
    problem.systemReason = systemReason;
    if (error == QSerialPort::DeviceNotFoundError) {
        Q_UNUSED(location);
        problem.cause = Cause::NotThere;
        return problem;
    }
#ifdef Q_OS_UNIX
    if (error == QSerialPort::PermissionError) {
        if (deniedByGroup(location, &problem.group, &problem.memberOfGroup))
            problem.cause = Cause::DeniedByGroup;
        else if (::access(QFile::encodeName(location).constData(), R_OK | W_OK) == 0)
            problem.cause = Cause::HeldByAnotherOne;
    }
#ifdef Q_OS_LINUX
    if (problem.cause == Cause::HeldByAnotherOne)
        problem.holder = holderOf(location);
#endif
#else
    // Windows opens a COM port for one program at a time and answers any
    // other with "access denied"; it keeps no per-user rights on ports.
    Q_UNUSED(location);
    if (error == QSerialPort::PermissionError)
        problem.cause = Cause::HeldByAnotherOne;
#endif
    return problem;
}
