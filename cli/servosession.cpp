#include "servosession.h"

#include "commandline.h"
#include "console.h"
#include "exitstatus.h"
#include "parameterformat.h"
#include "port/portlist.h"
#include "port/portproblem.h"

ServoSession::ServoSession(const Invocation &invocation, Console &console)
    : m_console(console), m_port(invocation.port)
{
    m_client.setTimeout(invocation.timeoutMs);
    m_client.setRetries(invocation.retries);
    if (invocation.verbose) {
        QObject::connect(&m_client, &ServoClient::frameSent, &m_client,
                         [&console](const QByteArray &bytes) { console.trace("TX", bytes); });
        QObject::connect(&m_client, &ServoClient::bytesReceived, &m_client,
                         [&console](const QByteArray &bytes) { console.trace("RX", bytes); });
    }
    QObject::connect(&m_client, &ServoClient::portLost, &m_client, [this](const QString &reason) {
        m_console.message(m_port, QStringLiteral("port lost: %1").arg(reason));
    });
}

int ServoSession::open()
{
    if (m_client.open(m_port))
        return ExitStatus::kSuccess;
    m_console.message(m_port,
                      QStringLiteral("cannot open: %1")
                          .arg(PortProblem::describe(PortList::systemLocationOf(m_port),
                                                     m_client.error(), m_client.errorString())));
    return ExitStatus::kPortTrouble;
}

int ServoSession::failure(const ServoClient::Reply &reply, const char *request)
{
    // A lost port has been reported when it was lost.
    if (reply.outcome == ServoClient::Outcome::PortLost)
        return ExitStatus::kPortTrouble;
    m_console.message(m_port, QStringLiteral("no answer to the %1 request after %2 attempts of "
                                             "%3 ms")
                                  .arg(QLatin1String(request))
                                  .arg(reply.attempts)
                                  .arg(m_client.timeout()));
    return ExitStatus::kNoAnswer;
}

int ServoSession::read(ParameterSet *values)
{
    const ServoClient::Reply reply = m_client.read();
    if (reply.outcome != ServoClient::Outcome::Answered)
        return failure(reply, "read");
    *values = reply.values;
    return ExitStatus::kSuccess;
}

int ServoSession::openAndRead(ParameterSet *values)
{
    const int status = open();
    return status == ExitStatus::kSuccess ? read(values) : status;
}

int ServoSession::write(const ParameterSet &values)
{
    const ServoClient::Reply reply = m_client.write(values);
    if (reply.outcome != ServoClient::Outcome::Answered)
        return failure(reply, "write");
    return ExitStatus::kSuccess;
}

int ServoSession::verify(const ParameterSet &wanted, QStringList *differences)
{
    ParameterSet held;
    const int status = read(&held);
    if (status != ExitStatus::kSuccess)
        return status;
    *differences = ParameterFormat::differences(wanted, QStringLiteral("wanted"), held,
                                                QStringLiteral("servo"));
    return differences->isEmpty() ? ExitStatus::kSuccess : ExitStatus::kDifferent;
}
