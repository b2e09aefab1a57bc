#ifndef NIMBAL_PORTPROBLEM_H
#define NIMBAL_PORTPROBLEM_H

#include <QSerialPort>
#include <QString>

// Why a port would not open, in words a person can act on: the system's
// reason and, where the system keeps serial devices for a group (Linux's
// dialout, the BSDs' uucp), which group owns the device and how to join it;
// or, when the user may open it, that another program holds it.
class PortProblem
{
public:
    // `location` is the device's path, `error` and `systemReason` what the
    // port reported.
    static QString describe(const QString &location, QSerialPort::SerialPortError error,
                            const QString &systemReason);

    // The advice for a device owned by `group` that the user may not open:
    // `memberOfGroup` tells whether the user is listed in the group already
    // (then only the login session predates it).
    static QString groupAdvice(const QString &group, bool memberOfGroup);
};

#endif
