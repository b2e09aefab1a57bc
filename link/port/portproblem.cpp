#include "port/portproblem.h"

#include <QFile>

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

} // namespace

PortProblem PortProblem::diagnose(const QString &location, QSerialPort::SerialPortError error,
                                  const QString &systemReason)
{
    PortProblem problem;
    problem.systemReason = systemReason;
#ifdef Q_OS_UNIX
    if (error == QSerialPort::PermissionError) {
        if (deniedByGroup(location, &problem.group, &problem.memberOfGroup))
            problem.cause = Cause::DeniedByGroup;
        else if (::access(QFile::encodeName(location).constData(), R_OK | W_OK) == 0)
            problem.cause = Cause::HeldByAnotherOne;
    }
#else
    // Windows opens a COM port for one program at a time and answers any
    // other with "access denied"; it keeps no per-user rights on ports.
    Q_UNUSED(location);
    if (error == QSerialPort::PermissionError)
        problem.cause = Cause::HeldByAnotherOne;
#endif
    return problem;
}
