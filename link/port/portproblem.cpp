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

QString PortProblem::groupAdvice(const QString &group, bool memberOfGroup)
{
    if (memberOfGroup)
        return QStringLiteral("the device belongs to group %1, which you joined after this "
                              "login began: log out and in again")
            .arg(group);
    return QStringLiteral("the device belongs to group %1: add yourself with "
                          "'sudo usermod -aG %1 \"$USER\"', then log out and in again")
        .arg(group);
}

QString PortProblem::describe(const QString &location, QSerialPort::SerialPortError error,
                              const QString &systemReason)
{
    QString text = systemReason.isEmpty() ? QStringLiteral("cannot open") : systemReason;
#ifdef Q_OS_UNIX
    QString group;
    bool member = false;
    if (error == QSerialPort::PermissionError) {
        if (deniedByGroup(location, &group, &member))
            text += QStringLiteral("; ") + groupAdvice(group, member);
        else if (::access(QFile::encodeName(location).constData(), R_OK | W_OK) == 0)
            text += QStringLiteral("; another program has it open");
    }
#else
    Q_UNUSED(location);
    Q_UNUSED(error);
#endif
    return text;
}
