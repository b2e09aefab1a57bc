#include "servosession.h"

#include "console.h"
#include "exitstatus.h"
#include "linktext.h"
#include "parameterformat.h"

#include "servo/waituntil.h"

namespace {

int statusOf(const ServoSetUp::Result &result)
{
    using Outcome = ServoSetUp::Result::Outcome;
    switch (result.outcome) {
    case Outcome::Passed:
        return ExitStatus::kSuccess;
    case Outcome::Mismatch:
        return ExitStatus::kDifferent;
    case Outcome::NoAnswer:
        return ExitStatus::kNoAnswer;
    case Outcome::PortLost:
        break;
    }
    return ExitStatus::kPortTrouble;
}

} // namespace

ServoSession::ServoSession(const Options &options, Console &console)
    : m_console(console), m_port(options.port)
{
    m_client.setTimeout(options.timeoutMs);
    m_client.setRetries(options.retries);
    watch(m_client, m_port, console, options.verbose);
}

void ServoSession::watch(ServoClient &client, const QString &port, Console &console,
                         bool verbose)
{
    if (verbose) {
        QObject::connect(&client, &ServoClient::frameSent, &client,
                         [&console](const QByteArray &bytes) { console.trace("TX", bytes); });
        QObject::connect(&client, &ServoClient::bytesReceived, &client,
                         [&console](const QByteArray &bytes) { console.trace("RX", bytes); });
    }
    QObject::connect(&client, &ServoClient::portLost, &client,
                     [&console, port](const QString &reason) {
                         console.message(port, QStringLiteral("port lost: %1").arg(reason));
                     });
}

int ServoSession::open()
{
    if (m_client.open(m_port))
        return ExitStatus::kSuccess;
    m_console.message(m_port, LinkText::cannotOpen(m_client.openProblem()));
    return ExitStatus::kPortTrouble;
}

int ServoSession::read(ParameterSet *values)
{
    const ServoClient::Reply reply = m_client.read();
    switch (reply.outcome) {
    case ServoClient::Outcome::Answered:
        *values = reply.values;
        return ExitStatus::kSuccess;
    case ServoClient::Outcome::NoAnswer:
        m_console.message(m_port, LinkText::noAnswer(reply, "read", m_client.timeout()));
        return ExitStatus::kNoAnswer;
    case ServoClient::Outcome::PortLost: // said when it was lost
        break;
    }
    return ExitStatus::kPortTrouble;
}

int ServoSession::openAndRead(ParameterSet *values)
{
    const int status = open();
    return status == ExitStatus::kSuccess ? read(values) : status;
}

ServoSetUp::Result ServoSession::writeAndVerify(const ParameterSet &values, bool verify)
{
    ServoSetUp setUp(&m_client);
    ServoSetUp::Result wanted;
    wanted.wanted = values;
    return waitUntil<ServoSetUp::Result>(&setUp, &ServoSetUp::finished,
                                         [&] { setUp.start(wanted, verify); });
}

int ServoSession::report(const ServoSetUp::Result &result)
{
    const int status = statusOf(result);
    const QStringList problems = LinkText::problems(result, m_client.timeout());
    if (status == ExitStatus::kNoAnswer)
        m_console.message(m_port, problems.constFirst());
    if (status != ExitStatus::kDifferent)
        return status; // a lost port was said when it was lost
    for (const QString &line : problems)
        m_console.out(line);
    m_console.message(m_port, QStringLiteral("verification failed: %1 of %2 values differ")
                                  .arg(problems.size())
                                  .arg(kParameterCount));
    return ExitStatus::kDifferent;
}
