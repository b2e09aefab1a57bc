#include "servo/servoclient.h"

#include "port/driverspeed.h"
#include "port/linesettings.h"
#include "port/portlist.h"
#include "port/portwatch.h"
#include "protocol/parameterframe.h"

#include "servo/waituntil.h"

#include <QTimer>

ServoClient::ServoClient(QObject *parent)
    : QObject(parent), m_port(new QSerialPort(this)), m_watch(new PortWatch(m_port)),
      m_timer(new QTimer(this))
{
    LineSettings::apply(*m_port);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ServoClient::timedOut);
    connect(m_port, &QSerialPort::readyRead, this, &ServoClient::takeArrivedBytes);
    connect(m_watch, &PortWatch::lost, this,
            [this](QSerialPort::SerialPortError error, const QString &reason) {
                m_error = error;
                m_errorString = reason;
                m_rxText.clear();
                emit portLost(reason);
                finish(Outcome::PortLost);
            });
}

ServoClient::~ServoClient() = default;

bool ServoClient::open(const QString &port)
{
    close();
    m_portName = port;
    m_error = QSerialPort::NoError;
    m_errorString.clear();
    m_port->setPortName(port);
    if (m_port->open(QIODevice::ReadWrite)) {
        // On Windows the first read also starts the port's reading, which
        // some serial drivers (Wine's, a remote desktop's) would otherwise
        // leave waiting for a "character received" event they never send.
        takeArrivedBytes();
        return true;
    }
    m_error = m_port->error();
    m_errorString = m_port->errorString();
    return false;
}

PortProblem ServoClient::openProblem() const
{
    return PortProblem::diagnose(PortList::systemLocationOf(m_portName), m_error, m_errorString);
}

qint32 ServoClient::driverBaudRate() const
{
    return DriverSpeed::of(*m_port);
}

void ServoClient::close()
{
    if (m_port->isOpen())
        m_port->close();
    m_rxText.clear();
    finish(Outcome::PortLost);
}

bool ServoClient::isOpen() const
{
    return m_port->isOpen();
}

QByteArray ServoClient::readRequest()
{
    return ParameterFrame::encode(ParameterSet::startValues(), 0);
}

QByteArray ServoClient::writeRequest(const ParameterSet &values)
{
    return ParameterFrame::encode(values, ParameterFrame::kWriteRequestBit);
}

void ServoClient::startRead()
{
    startExchange(readRequest(), AnswerKind::ReadAnswer);
}

void ServoClient::startWrite(const ParameterSet &values)
{
    startExchange(writeRequest(values), AnswerKind::WriteAnswer);
}

void ServoClient::sendProbe()
{
    if (!m_exchanging)
        send(readRequest());
}

ServoClient::Reply ServoClient::read()
{
    return waitUntil<Reply>(this, &ServoClient::replied, [this] { startRead(); });
}

ServoClient::Reply ServoClient::write(const ParameterSet &values)
{
    return waitUntil<Reply>(this, &ServoClient::replied, [this, &values] { startWrite(values); });
}

void ServoClient::startExchange(const QByteArray &request, AnswerKind expected)
{
    m_exchanging = true;
    m_request = request;
    m_expected = expected;
    m_attemptsLeft = m_retries + 1;
    m_reply = Reply();
    m_timer->setInterval(m_timeoutMs);
    attempt();
}

void ServoClient::attempt()
{
    if (!m_port->isOpen())
        return finish(Outcome::PortLost);
    // Whatever is still on its way from an earlier request must not be
    // taken for the answer to this one.
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_rxText.clear();
    if (!send(m_request))
        return; // the loss has ended the exchange
    --m_attemptsLeft;
    ++m_reply.attempts;
    m_timer->start();
    // On Windows a port may have taken bytes in without saying so yet.
    if (m_port->bytesAvailable() > 0)
        takeArrivedBytes();
}

void ServoClient::timedOut()
{
    // A late event loop (a busy window, eight lanes on one thread) may run
    // the timeout before it has told of bytes that came in time: what the
    // system holds for the port is taken first, and an answer among it
    // counts, before a retry clears the input or the exchange gives up.
    if (m_port->isOpen())
        m_port->waitForReadyRead(0);
    takeArrivedBytes();
    if (!m_exchanging)
        return;
    if (m_attemptsLeft > 0)
        attempt();
    else
        finish(Outcome::NoAnswer);
}

bool ServoClient::send(const QByteArray &request)
{
    if (!m_port->isOpen())
        return false;
    m_sentAt.start();
    m_arrivals.clear();
    if (m_port->write(request) != request.size()) {
        // The port's own error report has closed it already, or this does.
        m_watch->fail(QSerialPort::WriteError);
        return false;
    }
    emit frameSent(request);
    return true;
}

void ServoClient::takeArrivedBytes()
{
    if (!m_port->isOpen())
        return;
    const QByteArray bytes = m_port->readAll();
    if (bytes.isEmpty())
        return;
    emit bytesReceived(bytes);
    m_arrivals.append({m_sentAt.nsecsElapsed() / 1000, bytes});
    // The window's own receiver, so both take the same frames for the same
    // kind of answer.
    FrameReceiver::appendBytes(m_rxText, bytes);
    const QVector<FrameReceiver::Answer> answers = FrameReceiver::takeAnswers(m_rxText);
    for (const FrameReceiver::Answer &answer : answers) {
        const ParameterSet values = ParameterFrame::decode(answer.frameText);
        if (!m_exchanging) {
            emit answerSeen(answer.kind, values);
        } else if (answer.kind == m_expected) {
            m_reply.values = values;
            return finish(Outcome::Answered);
        }
    }
}

void ServoClient::finish(Outcome outcome)
{
    if (!m_exchanging)
        return;
    m_timer->stop();
    m_exchanging = false;
    m_reply.outcome = outcome;
    m_reply.finding = LineFinding::of(m_request, m_expected, m_arrivals);
    emit replied(m_reply);
}
