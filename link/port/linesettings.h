#ifndef NIMBAL_LINESETTINGS_H
#define NIMBAL_LINESETTINGS_H

#include "nimbaldefaults.h"

#include <QSerialPort>

// The servo's fixed line settings (link/defaults.cmake): 111100 baud (not
// 115200), 8N2, no flow control.
namespace LineSettings {
inline constexpr qint32 kBaudRate = NIMBAL_BAUD_RATE;
inline constexpr QSerialPort::DataBits kDataBits = QSerialPort::DataBits(NIMBAL_DATA_BITS);
inline constexpr QSerialPort::Parity kParity = QSerialPort::NoParity;
inline constexpr QSerialPort::StopBits kStopBits = QSerialPort::StopBits(NIMBAL_STOP_BITS);
// "111100 baud, 8 data bits, no parity, 2 stop bits"
inline constexpr const char *kWords = NIMBAL_LINE_WORDS;

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
