#ifndef NIMBAL_PORTPROBLEM_H
#define NIMBAL_PORTPROBLEM_H

#include <QSerialPort>
#include <QString>

// Why a port would not open, as far as a person can act on it: the system's
// reason; that there is no such device; or, where the system keeps serial devices for a group
// (Linux's dialout, the BSDs' uucp), which group owns the device and whether the user is listed in
// it; or, when the user may open it, that another program holds it.
struct PortProblem
{
    enum class Cause
    {
        Other,            // only the system's reason is known
        DeniedByGroup,    // only members of `group` may open the device
        HeldByAnotherOne, // the user may open it, but another program has it
        NotThere,         // no such device: the adapter is not plugged in
    };

    // `location` is the device's path, `error` and `systemReason` what the
    // port reported.
    static PortProblem diagnose(const QString &location, QSerialPort::SerialPortError error,
                                const QString &systemReason);

    QString systemReason;
    Cause cause = Cause::Other;
    QString group;              // with DeniedByGroup
    bool memberOfGroup = false; // listed already: only the login predates it
    // With HeldByAnotherOne, where the system tells (Linux's /proc): the
    // program that has the device open, "minicom (pid 4711)".
    QString holder;

    bool operator==(const PortProblem &other) const
    {
        return systemReason == other.systemReason && cause == other.cause && group == other.group &&
               memberOfGroup == other.memberOfGroup && holder == other.holder;
    }
    bool operator!=(const PortProblem &other) const { return !(*this == other); }
};

#endif
