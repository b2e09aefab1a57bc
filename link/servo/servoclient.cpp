#include "servo/servoclient.h"

#include "port/linesettings.h"
#include "protocol/framereceiver.h"
#include "protocol/parameterframe.h"

#include <QEventLoop>
#include <QTimer>

ServoClient::ServoClient(QObject *parent) : QObject(parent), m_port(new QSerialPort(this))
{
    LineSettings::apply(*m_port);
    connect(m_port, &QSerialPort::errorOccurred, this, &ServoClient::onPortError);
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
    return exchange(readRequest(), ParameterFrame::kReadAnswerBit, m_timeoutMs, m_retries);
}

ServoClient::Reply ServoClient::write(const ParameterSet &values)
{
    return exchange(writeRequest(values), ParameterFrame::kWriteAnswerBit, m_timeoutMs, m_retries);
}

ServoClient::Reply ServoClient::probe(int waitMs)
{
    return exchange(readRequest(), ParameterFrame::kReadAnswerBit, waitMs, 0);
}

ServoClient::Reply ServoClient::exchange(const QByteArray &request, unsigned answerBit,
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
            onPortError(QSerialPort::WriteError);
            reply.outcome = Outcome::PortLost;
            return reply;
        }
        ++reply.attempts;
        emit frameSent(request);
        if (waitForAnswer(answerBit, timeoutMs, &reply.values)) {
            reply.outcome = Outcome::Answered;
            return reply;
        }
    }
    reply.outcome = m_port->isOpen() ? Outcome::NoAnswer : Outcome::PortLost;
    return reply;
}

bool ServoClient::waitForAnswer(unsigned answerBit, int timeoutMs, ParameterSet *values)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    bool answered = false;
    const auto look = [&] {
        takeArrivedBytes();
        const QVector<FrameReceiver::Frame> frames = FrameReceiver::takeFrames(m_rxText);
        for (const FrameReceiver::Frame &frame : frames) {
            if (frame.flags & answerBit) {
                *values = ParameterFrame::decode(frame.frameText);
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

// An adapter pulled out (or a pseudo-terminal's master closed) makes the
// port report errors without end; close it once and let the waiting end.
void ServoClient::onPortError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    if (!m_port->isOpen())
        return;
    m_error = error;
    m_errorString = m_port->errorString();
    close();
    emit portLost(m_errorString);
}
