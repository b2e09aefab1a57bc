#include "doctor/portdoctor.h"

#include "port/driverspeed.h"
#include "port/linesettings.h"
#include "port/portlist.h"
#include "port/portwatch.h"
#include "servo/servoclient.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>

#include <cmath>

namespace {

// Where Linux keeps a USB serial adapter's latency timer, in milliseconds.
QString latencyTimerPath(const QString &port)
{
#ifdef Q_OS_LINUX
    const QString device = QFileInfo(PortList::systemLocationOf(port)).canonicalFilePath();
    const QString path = QStringLiteral("/sys/bus/usb-serial/devices/%1/latency_timer")
                             .arg(QFileInfo(device).fileName());
    return !device.isEmpty() && QFileInfo::exists(path) ? path : QString();
#else
    Q_UNUSED(port);
    return QString();
#endif
}

} // namespace

PortDoctor::PortDoctor(QObject *parent)
    : QObject(parent), m_port(new QSerialPort(this)), m_watch(new PortWatch(m_port)),
      m_listen(new QTimer(this))
{
    LineSettings::apply(*m_port);
    m_listen->setSingleShot(true);
    connect(m_listen, &QTimer::timeout, this, &PortDoctor::conclude);
    connect(m_port, &QSerialPort::readyRead, this, &PortDoctor::takeArrivals);
    connect(m_watch, &PortWatch::lost, this,
            [this](QSerialPort::SerialPortError, const QString &reason) {
                m_result.lostReason = reason;
                conclude();
            });
}

void PortDoctor::start(const QString &port)
{
    m_result = Result();
    m_result.port = port;
    m_arrivals.clear();
    m_port->setPortName(port);
    if (!m_port->open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port->error();
        m_result.problem = error == QSerialPort::DeviceNotFoundError ? Step::Port : Step::Open;
        m_result.openProblem =
            PortProblem::diagnose(PortList::systemLocationOf(port), error, m_port->errorString());
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
        m_port->close();
        QTimer::singleShot(0, this, &PortDoctor::finish);
        return;
    }
    m_request = ServoClient::readRequest();
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_sentAt.start();
    m_listening = true;
    m_listen->start(kListenMs);
    if (m_port->write(m_request) != m_request.size())
        m_watch->fail(QSerialPort::WriteError); // closes the port and concludes
}

void PortDoctor::checkSpeed()
{
    m_result.driverBaudRate = DriverSpeed::of(*m_port);
    m_result.underWine = DriverSpeed::underWine();
    const double off = std::abs(m_result.driverBaudRate - LineSettings::kBaudRate);
    if (m_result.driverBaudRate > 0 && off > kSpeedTolerance * LineSettings::kBaudRate)
        m_result.problem = Step::Speed;
}

void PortDoctor::takeArrivals()
{
    const QByteArray bytes = m_port->readAll();
    if (!bytes.isEmpty() && m_listening)
        m_arrivals.append({m_sentAt.nsecsElapsed() / 1000, bytes});
}

void PortDoctor::conclude()
{
    if (!m_listening)
        return;
    if (m_port->isOpen())
        takeArrivals();
    m_listening = false;
    m_listen->stop();
    m_port->close();
    m_result.finding =
        LineFinding::of(m_request, FrameReceiver::AnswerKind::ReadAnswer, m_arrivals);
    using Kind = LineFinding::Kind;
    if (m_result.finding.kind != Kind::Answered && m_result.finding.kind != Kind::Late)
        m_result.problem = Step::Answer;
    if (m_result.finding.kind == Kind::Late) {
        m_result.latencyTimerPath = latencyTimerPath(m_result.port);
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
