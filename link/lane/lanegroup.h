#ifndef NIMBAL_LANEGROUP_H
#define NIMBAL_LANEGROUP_H

#include "files/auditlog.h"
#include "lane/lane.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

// Lanes side by side, one a port, all setting servos up from the same
// values, counted together and logged to one audit log: what nimbalctl
// batch and the station both run. Each servo is in the log before its
// verdict is told.
class LaneGroup : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMostLanes = 8;

    struct Settings
    {
        QStringList ports; // at most kMostLanes
        ParameterSet wanted;
        int timeoutMs = ServoClient::kDefaultTimeoutMs;
        int retries = ServoClient::kDefaultRetries;
        bool labels = false;
        int count = 0; // servos of all lanes together; 0: until stopped
    };

    explicit LaneGroup(const Settings &settings, QObject *parent = nullptr);

    // The first of `ports` that names the same device as one before it
    // (two lanes cannot share an adapter); -1 when none does.
    static int firstRepeatedPort(const QStringList &ports);

    // The audit log the servos go to; false with the system's reason when
    // it does not open. Without one, nothing is logged.
    bool openLog(const QString &path, QString *reason);

    const QVector<Lane *> &lanes() const { return m_lanes; }
    void start();
    // Stops every lane; servos being set up are finished first.
    void stop();
    bool isRunning() const;

    int done() const { return m_done; }
    int passed() const { return m_passed; }
    int failed() const { return m_done - m_passed; }
    // Whether any lane's port was lost during the run.
    bool portWasLost() const { return m_portWasLost; }

signals:
    // A servo is set up (or failed) and in the log; `number` counts the
    // servos of all lanes, from 1.
    void servoDone(Lane *lane, int number, const ServoSetUp::Result &result);
    // A servo's row could not be logged; the group stops.
    void logFailed(const QString &reason);
    // Every lane has stopped.
    void finished();

private:
    void record(Lane *lane, const Lane::Result &result);

    Settings m_settings;
    QVector<Lane *> m_lanes;
    AuditLog m_log;
    int m_admitted = 0;
    int m_done = 0;
    int m_passed = 0;
    bool m_portWasLost = false;
};

#endif
