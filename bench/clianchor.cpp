// The anchor of the command-line benchmark: the least a Qt program does to
// ask a servo once. A bare QCoreApplication opens the port with the servo's
// line settings, writes one 20-byte read request and waits for 20 bytes.
//
// usage: nimbal-cli-anchor PORT   (exit 0 once 20 bytes came back)

#include "port/linesettings.h"

#include <QCoreApplication>
#include <QSerialPort>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QSerialPort port(QString::fromLocal8Bit(argv[1]));
    LineSettings::apply(port);
    if (!port.open(QIODevice::ReadWrite))
        return 3;
    const QByteArray request = QByteArray::fromHex("550000000000000000f401c409000000dc05a3aa");
    port.write(request);
    if (!port.waitForBytesWritten(1000))
        return 4;
    QByteArray answer;
    while (answer.size() < request.size() && port.waitForReadyRead(1000))
        answer += port.readAll();
    return answer.size() >= request.size() ? 0 : 4;
}
