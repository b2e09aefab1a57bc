#ifndef NIMBAL_PORTDOCTOR_H
#define NIMBAL_PORTDOCTOR_H

#include "doctor/linefinding.h"
#include "port/portproblem.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class ServoClient;

// Why a servo does not answer on a port, found as a careful person at the
// bench would look for it: the port is there, it opens, its driver runs at
// the servo's speed, a read request gets an answer, and in good time. It
// stops at the first step that has a problem. The request is the servo
// client's own exchange, given a second and no retries; driven by the event
// loop, it never waits in a loop of its own.
class PortDoctor : public QObject
{
    Q_OBJECT

public:
    enum class Step
    {
        Port,   // the port is not there
        Open,   // it does not open
        Speed,  // its driver runs at another speed
        Answer, // no usable answer to a read request
    };

    struct Result
    {
        QString port;
        std::optional<Step> problem; // the first step that has one; none: a servo answered
        // Port: the ports the system lists, and the one USB serial port
        // among them where there is exactly one.
        QStringList portsPresent;
        QString onlyUsbPort;
        // Open: why not.
        PortProblem openProblem;
        // Speed: the speed the driver set (0: it does not say).
        qint32 driverBaudRate = 0;
        bool underWine = false;
        // Answer: what came back to the request, and when.
        LineFinding finding;
        QString lostReason; // the port failed while waiting
        // With a late answer, on Linux: the USB adapter's latency timer.
        QString latencyTimerPath;
        int latencyTimerMs = -1;
    };

    // How long an answer to the request is waited for.
    static constexpr int kListenMs = 1000;
    // A driver's speed within this share of the servo's is the servo's.
    static constexpr double kSpeedTolerance = 0.01;

    // Where Linux shows its devices' settings; a test gives a folder of its
    // own, as only a real USB adapter has a latency timer there.
    static constexpr const char *kSysfsRoot = "/sys";

    explicit PortDoctor(QObject *parent = nullptr,
                        const QString &sysfsRoot = QLatin1String(kSysfsRoot));

    // Looks at `port` (a name or a path); finished() tells the result.
    void start(const QString &port);

signals:
    void finished(const PortDoctor::Result &result);

private:
    void checkSpeed();
    void conclude(const LineFinding &finding);
    void finish();

    ServoClient *m_client;
    QString m_sysfsRoot;
    Result m_result;
};

#endif
