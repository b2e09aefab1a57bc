#include "port/portwatch.h"

PortWatch::PortWatch(QSerialPort *port) : QObject(port), m_port(port)
{
    connect(port, &QSerialPort::errorOccurred, this, &PortWatch::fail);
}

void PortWatch::fail(QSerialPort::SerialPortError error)
{
    // A timeout is no failure of the device; a closed port has nothing left
    // to lose, and this keeps the loss from being reported twice.
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !m_port->isOpen())
        return;
    const QString reason = m_port->errorString();
    m_port->close();
    emit lost(error, reason);
}
