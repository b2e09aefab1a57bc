#include "servo/servoclient.h"

#include "port/linesettings.h"
#include "port/portwatch.h"
#include "protocol/parameterframe.h"

#include <QEventLoop>
#include <QTimer>

ServoClient::ServoClient(QObject *parent)
    : QObject(parent), m_port(new QSerialPort(this)), m_watch(new PortWatch(m_port))
{
    LineSettings::apply(*m_port);
    connect(m_watch, &PortWatch::lost, this,
            [this](QSerialPort::SerialPortError error, const QString &reason) {
                m_error = error;
                m_errorString = reason;
                m_rxText.clear();
                emit portLost(reason);
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
    if (m_port->open(QIODevice::ReadWrite))
        return true;
    m_error = m_port->error();
    m_errorString = m_port->errorString();
    return false;
}

void ServoClient::close()
{
    if (m_port->isOpen())
        m_port->close();
    m_rxText.clear();
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

ServoClient::Reply ServoClient::read()
{
    return exchange(readRequest(), AnswerKind::ReadAnswer, m_timeoutMs, m_retries);
}

ServoClient::Reply ServoClient::write(const ParameterSet &values)
{
    return exchange(writeRequest(values), AnswerKind::WriteAnswer, m_timeoutMs, m_retries);
}

ServoClient::Reply ServoClient::probe(int waitMs)
{
    return exchange(readRequest(), AnswerKind::ReadAnswer, waitMs, 0);
}

ServoClient::Reply ServoClient::exchange(const QByteArray &request, AnswerKind expected,
                                         int timeoutMs, int retries)
{
    Reply reply;
    for (int attempt = 0; attempt <= retries; ++attempt) {
        if (!m_port->isOpen()) {
            reply.outcome = Outcome::PortLost;
            return reply;
        }
        // Whatever is still on its way from an earlier request must not be
        // taken for the answer to this one.
        m_port->clear(QSerialPort::Input);
        m_port->readAll();
        m_rxText.clear();

        if (m_port->write(request) != request.size()) {
            // The port's own error report has closed it already, or this does.
            m_watch->fail(QSerialPort::WriteError);
            reply.outcome = Outcome::PortLost;
            return reply;
        }
        ++reply.attempts;
        m_sentAt.start();
        m_arrivals.clear();
        emit frameSent(request);
        if (waitForAnswer(expected, timeoutMs, &reply.values)) {
            reply.outcome = Outcome::Answered;
            return reply;
        }
    }
    reply.outcome = m_port->isOpen() ? Outcome::NoAnswer : Outcome::PortLost;
    reply.finding = LineFinding::of(request, expected, m_arrivals);
    return reply;
}

bool ServoClient::waitForAnswer(AnswerKind expected, int timeoutMs, ParameterSet *values)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    bool answered = false;
    const auto look = [&] {
        takeArrivedBytes();
        // The window's own receiver, so both take the same frames for the
        // same kind of answer.
        const QVector<FrameReceiver::Answer> answers = FrameReceiver::takeAnswers(m_rxText);
        for (const FrameReceiver::Answer &answer : answers) {
            if (answer.kind == expected) {
                *values = ParameterFrame::decode(answer.frameText);
                answered = true;
                loop.quit();
                return;
            }
        }
    };
    connect(m_port, &QSerialPort::readyRead, &loop, look);
    connect(this, &ServoClient::portLost, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (m_port->bytesAvailable() > 0)
        look();
    if (!answered && m_port->isOpen())
        loop.exec();
    return answered;
}

void ServoClient::takeArrivedBytes()
{
    const QByteArray bytes = m_port->readAll();
    if (bytes.isEmpty())
        return;
    emit bytesReceived(bytes);
    m_arrivals.append({m_sentAt.nsecsElapsed() / 1000, bytes});
    FrameReceiver::appendBytes(m_rxText, bytes);
}

bool ServoClient::pause(int ms)
{
    if (!m_port->isOpen())
        return false;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    connect(this, &ServoClient::portLost, &loop, &QEventLoop::quit);
    loop.exec();
    return m_port->isOpen();
}
