#ifndef NIMBAL_DRIVERSPEED_H
#define NIMBAL_DRIVERSPEED_H

#include <QSerialPort>

// The speed a serial driver really set, which is not always the one asked
// for: some drivers round an uncommon rate such as 111100 baud to one they
// know, and Wine sets it as 38400 with a custom divisor that only some
// drivers honour.
namespace DriverSpeed {

// The output speed of the open `port` as its driver reports it (on Linux
// the termios2 output speed, on Windows GetCommState's); 0 when the driver
// does not say.
qint32 of(QSerialPort &port);

// Whether this is a Windows program running under Wine.
bool underWine();

} // namespace DriverSpeed

#endif
