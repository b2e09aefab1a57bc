#ifndef NIMBAL_PORTLIST_H
#define NIMBAL_PORTLIST_H

#include <QString>
#include <QVector>

// The serial ports the system lists, with what it knows about each. On
// Linux a USB adapter also has a stable path under /dev/serial/by-id/ that
// survives replugging and renumbering (ttyUSB0 becoming ttyUSB1); that path
// is the one to put in scripts.
class PortList
{
public:
    struct Entry
    {
        QString name;           // "ttyUSB0", "COM3"
        QString systemLocation; // "/dev/ttyUSB0", "\\\\.\\COM3"
        QString description;
        QString manufacturer;
        QString serialNumber;
        bool hasUsbIds = false;
        quint16 vendorId = 0;
        quint16 productId = 0;
        QString byIdPath; // empty when no by-id link points at the port
    };

    static constexpr const char *kByIdDirectory = "/dev/serial/by-id";

    // Every port the system lists, in its order.
    static QVector<Entry> available();

    // The link in `byIdDirectory` that resolves to `systemLocation`; empty
    // when none does (or the folder does not exist, as on other systems).
    static QString byIdPathFor(const QString &systemLocation,
                               const QString &byIdDirectory = QLatin1String(kByIdDirectory));

    // Where a port given by name or by path lives on the system: a path
    // stays as it is, a bare name is looked for where the system keeps its
    // devices.
    static QString systemLocationOf(const QString &port);

    // The device a port names, the same for every name of it: a link in
    // /dev/serial/by-id/ and the tty it points to, "COM5" and "com5".
    static QString deviceOf(const QString &port);
};

#endif
