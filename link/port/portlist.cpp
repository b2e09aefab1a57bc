#include "port/portlist.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

QVector<PortList::Entry> PortList::available()
{
    QVector<Entry> entries;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        Entry entry;
        entry.name = info.portName();
        entry.systemLocation = info.systemLocation();
        entry.description = info.description();
        entry.manufacturer = info.manufacturer();
        entry.serialNumber = info.serialNumber();
        entry.hasUsbIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        entry.vendorId = info.vendorIdentifier();
        entry.productId = info.productIdentifier();
        entry.byIdPath = byIdPathFor(entry.systemLocation);
        entries.append(entry);
    }
    return entries;
}

QString PortList::byIdPathFor(const QString &systemLocation, const QString &byIdDirectory)
{
    const QString target = QFileInfo(systemLocation).canonicalFilePath();
    if (target.isEmpty())
        return QString();
    const QDir dir(byIdDirectory);
    const QFileInfoList links =
        dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        if (link.isSymLink() && link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    }
    return QString();
}

QString PortList::deviceOf(const QString &port)
{
    const QString location = systemLocationOf(port);
#ifdef Q_OS_WIN
    return location.toUpper();
#else
    const QString canonical = QFileInfo(location).canonicalFilePath();
    return canonical.isEmpty() ? location : canonical;
#endif
}

QString PortList::systemLocationOf(const QString &port)
{
#ifdef Q_OS_WIN
    if (port.startsWith(QLatin1String("\\\\.\\")) || port.startsWith(QLatin1String("//./")))
        return port;
    return QLatin1String("\\\\.\\") + port;
#else
    if (port.startsWith(QLatin1Char('/')))
        return port;
    return QLatin1String("/dev/") + port;
#endif
}
