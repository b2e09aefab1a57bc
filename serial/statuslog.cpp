#include "serial/statuslog.h"

#include <QDateTime>

namespace StatusLog {

QString clockStamp(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString line(const QString &stamp, const QString &message)
{
    return QLatin1Char('[') + stamp + QLatin1String("] ") + message;
}

// The port messages carry the name in front of each language's half.
static QString portMessage(const QString &portName, const char *chinese, const char *english)
{
    return portName + QString::fromUtf8(chinese) + portName + QLatin1String(english);
}

QString portOpened(const QString &portName)
{
    return portMessage(portName, " 打开成功  ", " Open successfully");
}

QString portFailedToOpen(const QString &portName)
{
    return portMessage(portName, " 打开失败  ", " Failed to open");
}

QString portDisconnected(const QString &portName)
{
    return portMessage(portName, " 连接断开  ", " Disconnected");
}

} // namespace StatusLog
