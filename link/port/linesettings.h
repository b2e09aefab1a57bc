#ifndef NIMBAL_LINESETTINGS_H
#define NIMBAL_LINESETTINGS_H

#include <QSerialPort>

// The servo's fixed line settings: 111100 baud (not 115200), 8N2, no flow
// control.
namespace LineSettings {
inline constexpr qint32 kBaudRate = 111100;
inline constexpr QSerialPort::DataBits kDataBits = QSerialPort::Data8;
inline constexpr QSerialPort::Parity kParity = QSerialPort::NoParity;
inline constexpr QSerialPort::StopBits kStopBits = QSerialPort::TwoStop;

// Gives `port` these settings, for every later open: baud rate, data bits,
// parity and stop bits, in that order. Flow control keeps the port's
// default, none.
inline void apply(QSerialPort &port)
{
    port.setBaudRate(kBaudRate, QSerialPort::AllDirections);
    port.setDataBits(kDataBits);
    port.setParity(kParity);
    port.setStopBits(kStopBits);
}
} // namespace LineSettings

#endif
