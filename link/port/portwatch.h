#ifndef NIMBAL_PORTWATCH_H
#define NIMBAL_PORTWATCH_H

#include <QObject>
#include <QSerialPort>
#include <QString>

// Watches an open serial port for the loss of its device. An adapter pulled
// out (or a pseudo-terminal's master closed) leaves the port open and makes
// it report errors without end; the watch closes the port once and says so
// once. The port can be opened again when the device is back.
class PortWatch : public QObject
{
    Q_OBJECT

public:
    // Watches `port`, and is destroyed with it.
    explicit PortWatch(QSerialPort *port);

    // A failure its owner met itself, such as a request that did not go
    // out: handled as if the port had reported it.
    void fail(QSerialPort::SerialPortError error);

signals:
    // The port failed while open; it is closed by now. `reason` is the
    // port's own description of the error.
    void lost(QSerialPort::SerialPortError error, const QString &reason);

private:
    QSerialPort *m_port;
};

#endif
