#include "servosession.h"

#include "console.h"
#include "exitstatus.h"
#include "invocation.h"
#include "parameterformat.h"
#include "port/portlist.h"
#include "port/portproblem.h"

namespace {

// The system's reason why a port would not open, and what to do about it.
QString openProblemText(const PortProblem &problem)
{
    QString text =
        problem.systemReason.isEmpty() ? QStringLiteral("cannot open") : problem.systemReason;
    switch (problem.cause) {
    case PortProblem::Cause::DeniedByGroup:
        if (problem.memberOfGroup)
            return text + QStringLiteral("; the device belongs to group %1, which you joined "
                                         "after this login began: log out and in again")
                              .arg(problem.group);
        return text + QStringLiteral("; the device belongs to group %1: add yourself with "
                                     "'sudo usermod -aG %1 \"$USER\"', then log out and in again")
                          .arg(problem.group);
    case PortProblem::Cause::HeldByAnotherOne:
        return text + QStringLiteral("; another program has it open");
    case PortProblem::Cause::Other:
        break;
    }
    return text;
}

} // namespace

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
    const PortProblem problem = PortProblem::diagnose(PortList::systemLocationOf(m_port),
                                                      m_client.error(), m_client.errorString());
    m_console.message(m_port, QStringLiteral("cannot open: %1").arg(openProblemText(problem)));
    return ExitStatus::kPortTrouble;
}

int ServoSession::failure(const ServoClient::Reply &reply, const char *request)
{
    // A lost port has been reported when it was lost.
    if (reply.outcome == ServoClient::Outcome::PortLost)
        return ExitStatus::kPortTrouble;
    m_console.message(m_port, QStringLiteral("no answer to the %1 request after %2 of %3 ms")
                                  .arg(QLatin1String(request))
                                  .arg(reply.attempts == 1
                                           ? QStringLiteral("1 attempt")
                                           : QStringLiteral("%1 attempts").arg(reply.attempts))
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

ServoSession::WriteCheck ServoSession::writeAndVerify(const ParameterSet &values, bool verify)
{
    WriteCheck check;
    check.written = m_client.write(values);
    if (check.written.outcome != ServoClient::Outcome::Answered || !verify)
        return check;
    check.readBack = m_client.read();
    if (check.readBack->outcome == ServoClient::Outcome::Answered)
        check.differences = ParameterFormat::differences(
            values, QStringLiteral("wanted"), check.readBack->values, QStringLiteral("servo"));
    return check;
}

int ServoSession::report(const WriteCheck &check)
{
    if (check.written.outcome != ServoClient::Outcome::Answered)
        return failure(check.written, "write");
    if (!check.readBack)
        return ExitStatus::kSuccess;
    if (check.readBack->outcome != ServoClient::Outcome::Answered)
        return failure(*check.readBack, "read");
    if (check.differences.isEmpty())
        return ExitStatus::kSuccess;
    for (const QString &line : check.differences)
        m_console.out(line);
    m_console.message(m_port, QStringLiteral("verification failed: %1 of %2 values differ")
                                  .arg(check.differences.size())
                                  .arg(kParameterCount));
    return ExitStatus::kDifferent;
}
