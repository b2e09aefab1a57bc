#include "lane/lanegroup.h"

#include "files/auditlogwriter.h"
#include "port/portlist.h"

#include <QDateTime>
#include <QPointer>

#include <utility>

LaneGroup::LaneGroup(const Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_log(new AuditLogWriter(this))
{
    connect(m_log, &AuditLogWriter::appended, this, &LaneGroup::written);
    for (const QString &port : settings.ports.mid(0, kMostLanes)) {
        auto *lane = new Lane(
            {port, settings.wanted, settings.timeoutMs, settings.retries, settings.labels}, this);
        lane->setAdmission([this, lane] { return admits(lane); });
        lane->setRecorder([this, lane](const Lane::Result &result) { record(lane, result); });
        // Told by the lane once its counts hold the servo, before it moves on.
        connect(lane, &Lane::servoDone, this, [this, lane](const Lane::Result &result) {
            emit servoDone(lane, m_toldNumber, result);
        });
        connect(lane, &Lane::stateChanged, this,
                [this, lane](Lane::State state) { laneMoved(lane, state); });
        connect(lane, &Lane::portLost, this, [this] { m_portWasLost = true; });
        connect(lane, &Lane::stopped, this, [this] {
            if (!isRunning())
                emit finished();
        });
        m_lanes.append(lane);
    }
}

LaneGroup::~LaneGroup() = default;

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
    const AuditLog::Contents contents = AuditLog::contentsOf(path);
    if (!m_log->open(path, reason))
        return false;
    m_lastNumber = contents.lastNumber;
    m_labels.setPassed(contents.passedLabels);
    return true;
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

// The count is of all lanes together: a servo is taken on only while the
// servos on the record and those the other lanes hold are fewer.
bool LaneGroup::admits(const Lane *asking) const
{
    if (m_settings.count <= 0)
        return true;
    int taken = m_done;
    for (const Lane *lane : m_lanes) {
        if (lane != asking && (lane->state() == Lane::State::WaitingForLabel ||
                               lane->state() == Lane::State::SettingUp))
            ++taken;
    }
    return taken < m_settings.count;
}

void LaneGroup::record(Lane *lane, const Lane::Result &result)
{
    const int number = ++m_lastNumber;
    m_pending.enqueue({lane, number, result});
    if (!m_log->isOpen())
        return written(true, QString());
    QStringList failed;
    for (const Parameter id : result.differing)
        failed.append(QLatin1String(infoOf(id).name));
    m_log->append({QDateTime::currentDateTime(), result.port, number, result.passed(),
                   result.before, result.after, result.label, m_settings.run,
                   QDateTime::currentDateTimeUtc(),
                   result.label.isEmpty() ? QString() : m_labelChecked.value(lane), failed});
}

void LaneGroup::written(bool logged, const QString &reason)
{
    if (m_pending.isEmpty())
        return;
    const Pending row = m_pending.dequeue();
    ++m_done;
    if (row.result.passed()) {
        ++m_passed;
        if (!row.result.label.isEmpty())
            m_labels.addPassed(row.result.label);
    }
    if (!logged)
        emit logFailed(reason);
    // Stopped first, so the lane ends instead of waiting for the next.
    if (!logged || (m_settings.count > 0 && m_done >= m_settings.count))
        stop();
    m_toldNumber = row.number;
    row.lane->recorded();
}

void LaneGroup::laneMoved(Lane *lane, Lane::State state)
{
    // A servo holds its label from the moment it is given until it is gone.
    if (state != Lane::State::SettingUp && state != Lane::State::WaitingUntilGone)
        m_labels.release(lane->port());
    const bool waited = m_awaitingLabel.removeOne(lane);
    if (state == Lane::State::WaitingForLabel) {
        m_awaitingLabel.append(lane);
        // Given once every front end has seen the lane wait.
        if (!m_kept.isEmpty())
            QMetaObject::invokeMethod(this, &LaneGroup::giveKeptLabel, Qt::QueuedConnection);
    }
    if (waited || state == Lane::State::WaitingForLabel)
        emit labelsChanged();
}

void LaneGroup::offerLabel(const QString &scanned)
{
    m_offers.enqueue(scanned);
    takeOffers();
}

void LaneGroup::takeOffers()
{
    while (!m_checking && !m_offers.isEmpty()) {
        const QString label = LabelRegister::trimmed(m_offers.dequeue());
        const Lane *lane = laneForNextLabel();
        const QString refusal = m_labels.refusal(label, lane ? lane->port() : QString());
        if (!refusal.isEmpty()) {
            emit labelRefused(label, refusal);
        } else if (!lane && !m_kept.isEmpty()) {
            emit labelRefused(label, keptAlready());
        } else if (!m_lineCheck) {
            place(label, QStringLiteral("local"));
        } else {
            m_checking = true;
            const QPointer<LaneGroup> self(this);
            m_lineCheck(label, [self, label](const LabelCheck::Answer &answer) {
                if (self)
                    self->lineAnswered(label, answer);
            });
        }
    }
}

QString LaneGroup::keptAlready() const
{
    return tr("label %1 is kept for the next servo already: plug a servo in before the next "
              "label")
        .arg(m_kept);
}

void LaneGroup::lineAnswered(const QString &label, const LabelCheck::Answer &answer)
{
    m_checking = false;
    using Kind = LabelCheck::Answer::Kind;
    if (answer.kind == Kind::Passed) {
        emit labelRefused(label,
                          tr("label %1 has passed already on %2").arg(label, answer.station));
    } else {
        if (answer.kind == Kind::Unknown)
            emit lineUnchecked(answer.why);
        place(label, answer.kind == Kind::Free ? QStringLiteral("line") : QStringLiteral("local"));
    }
    takeOffers();
}

void LaneGroup::place(const QString &label, const QString &checked)
{
    // While the line was asked, the lane that waited may have gone.
    Lane *lane = laneForNextLabel();
    const QString refusal = m_labels.refusal(label, lane ? lane->port() : QString());
    if (!refusal.isEmpty())
        return emit labelRefused(label, refusal);
    if (lane)
        return giveLabel(lane, label, checked);
    if (!m_kept.isEmpty())
        return emit labelRefused(label, keptAlready());
    m_kept = label;
    m_keptChecked = checked;
    emit labelsChanged();
}

void LaneGroup::giveKeptLabel()
{
    Lane *lane = laneForNextLabel();
    if (!lane || m_kept.isEmpty())
        return;
    const QString label = std::exchange(m_kept, QString());
    // What was true when it was kept may not be any more.
    const QString refusal = m_labels.refusal(label, lane->port());
    if (refusal.isEmpty())
        return giveLabel(lane, label, m_keptChecked);
    emit labelsChanged();
    emit labelRefused(label, refusal);
}

void LaneGroup::giveLabel(Lane *lane, const QString &label, const QString &checked)
{
    m_labels.claim(lane->port(), label);
    m_labelChecked.insert(lane, checked);
    lane->setLabel(label);
}
