#ifndef NIMBAL_SERVOCLIENT_H
#define NIMBAL_SERVOCLIENT_H

#include "doctor/linefinding.h"
#include "model/parameterset.h"
#include "nimbaldefaults.h"
#include "port/portproblem.h"
#include "protocol/framereceiver.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QVector>

class PortWatch;
class QTimer;

// Talks to one servo the way a careful person at the bench would: one
// request, then waiting for the answer of the matching kind, and sending
// the request again after a timeout. Whatever else arrives on the line
// (noise, the request echoed back, answers of the other kind, frames that
// fail their checksum) is passed over by the same frame receiver the window
// uses.
//
// An exchange is driven by the event loop and its reply comes as a signal,
// so any number of clients run side by side on one thread. read() and
// write() wait for the reply in a local event loop: for a command line that
// does one thing at a time. Once the port reports an error it is
// closed, and every exchange ends at once with PortLost: a vanished adapter
// never leaves the client spinning.
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
        // What the line gave back to the last attempt, and when.
        LineFinding finding;
    };

    static constexpr int kDefaultTimeoutMs = NIMBAL_DEFAULT_TIMEOUT_MS;
    static constexpr int kDefaultRetries = NIMBAL_DEFAULT_RETRIES;

    explicit ServoClient(QObject *parent = nullptr);
    ~ServoClient() override;

    // Opens a port by name ("ttyUSB0", "COM3") or by path ("/dev/pts/4",
    // "/dev/serial/by-id/...") with the servo's line settings. On failure
    // the port stays closed and error()/errorString() tell why, and
    // openProblem() what the system says of it.
    bool open(const QString &port);
    void close();
    bool isOpen() const;

    // The port as given to open().
    QString portName() const { return m_portName; }
    QSerialPort::SerialPortError error() const { return m_error; }
    QString errorString() const { return m_errorString; }
    PortProblem openProblem() const;
    // The speed the open port's driver really runs at; 0 when it does not say.
    qint32 driverBaudRate() const;

    // How long to wait for each answer, and how many times a request is
    // sent again after a timeout.
    void setTimeout(int ms) { m_timeoutMs = qMax(1, ms); }
    void setRetries(int retries) { m_retries = qMax(0, retries); }
    int timeout() const { return m_timeoutMs; }
    int retries() const { return m_retries; }

    // A read request, byte for byte the one a freshly started window sends,
    // answered by what the window takes for a read answer; a write request
    // of `values`, byte for byte the one the window sends for the same
    // values, answered by a write answer. replied() tells how it went; one
    // exchange at a time.
    void startRead();
    void startWrite(const ParameterSet &values);

    // A read request that is not waited for: whatever answers come while no
    // exchange runs are told by answerSeen(). For asking again and again
    // whether a servo is there.
    void sendProbe();

    // The same exchanges, waited for.
    Reply read();
    Reply write(const ParameterSet &values);

    static QByteArray readRequest();
    static QByteArray writeRequest(const ParameterSet &values);

signals:
    void replied(const ServoClient::Reply &reply);
    // An answer that came while no exchange ran, such as one to a probe.
    void answerSeen(FrameReceiver::AnswerKind kind, const ParameterSet &values);
    void frameSent(const QByteArray &bytes);
    void bytesReceived(const QByteArray &bytes);
    // The port failed while open; it is closed by now.
    void portLost(const QString &reason);

private:
    using AnswerKind = FrameReceiver::AnswerKind;

    void startExchange(const QByteArray &request, AnswerKind expected);
    bool send(const QByteArray &request);
    void attempt();
    void timedOut();
    void takeArrivedBytes();
    void finish(Outcome outcome);

    QSerialPort *m_port = nullptr;
    PortWatch *m_watch = nullptr;
    QTimer *m_timer = nullptr;
    QString m_portName;
    QString m_rxText; // received bytes as hex text, for the frame search
    QSerialPort::SerialPortError m_error = QSerialPort::NoError;
    QString m_errorString;
    int m_timeoutMs = kDefaultTimeoutMs;
    int m_retries = kDefaultRetries;

    // The exchange that runs.
    bool m_exchanging = false;
    QByteArray m_request;
    AnswerKind m_expected = AnswerKind::ReadAnswer;
    int m_attemptsLeft = 0;
    Reply m_reply;
    QElapsedTimer m_sentAt;
    QVector<LineFinding::Arrival> m_arrivals; // since the last request
};

#endif
