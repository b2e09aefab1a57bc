// Which stable by-id link points at a port. The system's
// own list holds no pseudo-terminal, so the by-id folder is a scratch one.

#include "port/portlist.h"

#include <QTemporaryDir>
#include <QtTest>

class PortListingTest : public QObject
{
    Q_OBJECT

private slots:
    void byIdLinkIsFoundByWhatItResolvesTo();
};

void PortListingTest::byIdLinkIsFoundByWhatItResolvesTo()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString devices = dir.filePath(QStringLiteral("dev"));
    const QString byId = dir.filePath(QStringLiteral("by-id"));
    QVERIFY(QDir().mkpath(devices) && QDir().mkpath(byId));
    for (const char *name : {"ttyUSB0", "ttyUSB1"}) {
        QFile device(devices + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(device.open(QIODevice::WriteOnly));
    }
    // Relative links, as udev makes them.
    const QString adapter = byId + QStringLiteral("/usb-FTDI_FT232R_A50285BI-if00-port0");
    QVERIFY(QFile::link(QStringLiteral("../dev/ttyUSB1"), adapter));
    QVERIFY(QFile::link(QStringLiteral("../dev/gone"), byId + QStringLiteral("/usb-broken")));

    QCOMPARE(PortList::byIdPathFor(devices + QStringLiteral("/ttyUSB1"), byId), adapter);
    QCOMPARE(PortList::byIdPathFor(devices + QStringLiteral("/ttyUSB0"), byId), QString());
    QCOMPARE(PortList::byIdPathFor(devices + QStringLiteral("/gone"), byId), QString());
    QCOMPARE(PortList::byIdPathFor(devices + QStringLiteral("/ttyUSB1"),
                                   dir.filePath(QStringLiteral("none"))),
             QString());
}

QTEST_GUILESS_MAIN(PortListingTest)
#include "tst_portlisting.moc"
