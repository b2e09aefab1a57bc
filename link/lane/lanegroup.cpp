#include "lane/lanegroup.h"

#include "port/portlist.h"

LaneGroup::LaneGroup(const Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{
    for (const QString &port : settings.ports.mid(0, kMostLanes)) {
        auto *lane = new Lane(
            {port, settings.wanted, settings.timeoutMs, settings.retries, settings.labels}, this);
        // The count is of all lanes together: a servo is set up only while
        // fewer than the count have been.
        lane->setAdmission([this] {
            if (m_settings.count > 0 && m_admitted >= m_settings.count)
                return false;
            ++m_admitted;
            return true;
        });
        connect(lane, &Lane::servoDone, this,
                [this, lane](const Lane::Result &result) { record(lane, result); });
        connect(lane, &Lane::portLost, this, [this] { m_portWasLost = true; });
        connect(lane, &Lane::stopped, this, [this] {
            if (!isRunning())
                emit finished();
        });
        m_lanes.append(lane);
    }
}

int LaneGroup::firstRepeatedPort(const QStringList &ports)
{
    QStringList devices;
    for (const QString &port : ports) {
        const QString device = PortList::deviceOf(port);
        if (devices.contains(device))
            return int(devices.size());
        devices.append(device);
    }
    return -1;
}

bool LaneGroup::openLog(const QString &path, QString *reason)
{
    return m_log.open(path, reason);
}

void LaneGroup::start()
{
    for (Lane *lane : std::as_const(m_lanes))
        lane->start();
}

void LaneGroup::stop()
{
    for (Lane *lane : std::as_const(m_lanes))
        lane->stop();
}

bool LaneGroup::isRunning() const
{
    for (const Lane *lane : m_lanes) {
        if (lane->state() != Lane::State::Stopped)
            return true;
    }
    return false;
}

void LaneGroup::record(Lane *lane, const Lane::Result &result)
{
    const int number = ++m_done;
    m_passed += result.passed() ? 1 : 0;
    QString reason;
    const bool logged = !m_log.isOpen() ||
                        m_log.append({QDateTime::currentDateTime(), result.port, number,
                                      result.passed(), result.before, result.after, result.label},
                                     &reason);
    if (!logged)
        emit logFailed(reason);
    emit servoDone(lane, number, result);
    if (!logged)
        stop();
    else if (m_settings.count > 0 && m_done >= m_settings.count) {
        stop();
    }
}
