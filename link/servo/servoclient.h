#ifndef NIMBAL_SERVOCLIENT_H
#define NIMBAL_SERVOCLIENT_H

#include "doctor/linefinding.h"
#include "model/parameterset.h"
#include "nimbaldefaults.h"
#include "protocol/framereceiver.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>

class PortWatch;

// Talks to one servo the way a careful person at the bench would: one
// request, then waiting for the answer of the matching kind, and sending
// the request again after a timeout. Whatever else arrives on the line
// (noise, the request echoed back, answers of the other kind, frames that
// fail their checksum) is passed over by the same frame receiver the window
// uses.
//
// Waiting runs a local event loop, so everything else on the thread's event
// loop (a simulated servo in a test, a signal notifier) keeps running. Once
// the port reports an error it is closed, and every later exchange ends at
// once with PortLost: a vanished adapter never leaves the client spinning.
class ServoClient : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        Answered, // `values` holds what the servo sent, unclamped
        NoAnswer, // no answer of the right kind after every attempt
        PortLost, // the port is not open, or failed on the way
    };

    struct Reply
    {
        Outcome outcome = Outcome::NoAnswer;
        ParameterSet values;
        int attempts = 0; // requests sent
        // NoAnswer: what the line gave back to the last attempt.
        LineFinding finding;
    };

    static constexpr int kDefaultTimeoutMs = NIMBAL_DEFAULT_TIMEOUT_MS;
    static constexpr int kDefaultRetries = NIMBAL_DEFAULT_RETRIES;

    explicit ServoClient(QObject *parent = nullptr);
    ~ServoClient() override;

    // Opens a port by name ("ttyUSB0", "COM3") or by path ("/dev/pts/4",
    // "/dev/serial/by-id/...") with the servo's line settings. On failure
    // the port stays closed and error()/errorString() tell why.
    bool open(const QString &port);
    void close();
    bool isOpen() const;

    // The port as given to open().
    QString portName() const { return m_portName; }
    QSerialPort::SerialPortError error() const { return m_error; }
    QString errorString() const { return m_errorString; }

    // How long to wait for each answer, and how many times a request is
    // sent again after a timeout.
    void setTimeout(int ms) { m_timeoutMs = qMax(1, ms); }
    void setRetries(int retries) { m_retries = qMax(0, retries); }
    int timeout() const { return m_timeoutMs; }
    int retries() const { return m_retries; }

    // A read request, byte for byte the one a freshly started window sends,
    // answered by what the window takes for a read answer.
    Reply read();
    // A write request of `values`, byte for byte the one the window sends
    // for the same values, answered by what the window takes for a write
    // answer.
    Reply write(const ParameterSet &values);
    // One read request that waits `waitMs` and is not repeated: for asking
    // again and again whether a servo is there.
    Reply probe(int waitMs);

    // Runs the event loop for `ms`; false, and at once, if the port is lost.
    bool pause(int ms);

    static QByteArray readRequest();
    static QByteArray writeRequest(const ParameterSet &values);

signals:
    void frameSent(const QByteArray &bytes);
    void bytesReceived(const QByteArray &bytes);
    // The port failed while open; it is closed by now.
    void portLost(const QString &reason);

private:
    using AnswerKind = FrameReceiver::AnswerKind;

    Reply exchange(const QByteArray &request, AnswerKind expected, int timeoutMs, int retries);
    bool waitForAnswer(AnswerKind expected, int timeoutMs, ParameterSet *values);
    void takeArrivedBytes();

    QSerialPort *m_port = nullptr;
    PortWatch *m_watch = nullptr;
    QString m_portName;
    QString m_rxText; // received bytes as hex text, for the frame search
    QElapsedTimer m_sentAt;
    QVector<LineFinding::Arrival> m_arrivals; // since the last request
    QSerialPort::SerialPortError m_error = QSerialPort::NoError;
    QString m_errorString;
    int m_timeoutMs = kDefaultTimeoutMs;
    int m_retries = kDefaultRetries;
};

#endif
