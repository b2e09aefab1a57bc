#include "doctor/portdoctor.h"

#include "port/driverspeed.h"
#include "port/linesettings.h"
#include "port/portlist.h"
#include "servo/servoclient.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>

#include <cmath>

namespace {

// Where Linux keeps a USB serial adapter's latency timer, in milliseconds.
QString latencyTimerPath(const QString &sysfsRoot, const QString &port)
{
#ifdef Q_OS_LINUX
    const QString path = QStringLiteral("%1/bus/usb-serial/devices/%2/latency_timer")
                             .arg(sysfsRoot, QFileInfo(PortList::deviceOf(port)).fileName());
    return QFileInfo::exists(path) ? path : QString();
#else
    Q_UNUSED(sysfsRoot);
    Q_UNUSED(port);
    return QString();
#endif
}

} // namespace

PortDoctor::PortDoctor(QObject *parent, const QString &sysfsRoot)
    : QObject(parent), m_client(new ServoClient(this)), m_sysfsRoot(sysfsRoot)
{
    m_client->setTimeout(kListenMs);
    m_client->setRetries(0);
    connect(m_client, &ServoClient::portLost, this,
            [this](const QString &reason) { m_result.lostReason = reason; });
    connect(m_client, &ServoClient::replied, this,
            [this](const ServoClient::Reply &reply) { conclude(reply.finding); });
}

void PortDoctor::start(const QString &port)
{
    m_result = Result();
    m_result.port = port;
    if (!m_client->open(port)) {
        m_result.problem =
            m_client->error() == QSerialPort::DeviceNotFoundError ? Step::Port : Step::Open;
        m_result.openProblem = m_client->openProblem();
        QStringList usb;
        for (const PortList::Entry &entry : PortList::available()) {
            m_result.portsPresent.append(entry.name);
            if (entry.hasUsbIds)
                usb.append(entry.name);
        }
        m_result.onlyUsbPort = usb.size() == 1 ? usb.constFirst() : QString();
        // The result comes after start() has returned, as it does otherwise.
        QTimer::singleShot(0, this, &PortDoctor::finish);
        return;
    }
    checkSpeed();
    if (m_result.problem) {
        m_client->close();
        QTimer::singleShot(0, this, &PortDoctor::finish);
        return;
    }
    m_client->startRead();
}

void PortDoctor::checkSpeed()
{
    m_result.driverBaudRate = m_client->driverBaudRate();
    m_result.underWine = DriverSpeed::underWine();
    const double off = std::abs(m_result.driverBaudRate - LineSettings::kBaudRate);
    if (m_result.driverBaudRate > 0 && off > kSpeedTolerance * LineSettings::kBaudRate)
        m_result.problem = Step::Speed;
}

void PortDoctor::conclude(const LineFinding &finding)
{
    m_client->close();
    m_result.finding = finding;
    using Kind = LineFinding::Kind;
    if (finding.kind != Kind::Answered && finding.kind != Kind::Late)
        m_result.problem = Step::Answer;
    if (finding.kind == Kind::Late) {
        m_result.latencyTimerPath = latencyTimerPath(m_sysfsRoot, m_result.port);
        QFile timer(m_result.latencyTimerPath);
        if (!m_result.latencyTimerPath.isEmpty() && timer.open(QIODevice::ReadOnly))
            m_result.latencyTimerMs = QString::fromLatin1(timer.readAll()).trimmed().toInt();
    }
    finish();
}

void PortDoctor::finish()
{
    emit finished(m_result);
}
