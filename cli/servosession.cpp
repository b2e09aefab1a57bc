#include "servosession.h"

#include "console.h"
#include "exitstatus.h"
#include "parameterformat.h"
#include "text/linktext.h"

#include "servo/waituntil.h"

namespace {

// Where nimbalctl sends a person whose servo does not answer.
QString pointingToTheDoctor(const QString &noAnswer)
{
    return noAnswer + QStringLiteral(" ('nimbalctl doctor' looks for the cause)");
}

} // namespace

ServoSession::ServoSession(const Options &options, Console &console)
    : m_console(console), m_port(options.port)
{
    m_client.setTimeout(options.timeoutMs);
    m_client.setRetries(options.retries);
    watch(m_client, m_port, console, options.verbose);
}

void ServoSession::watch(ServoClient &client, const QString &port, Console &console, bool verbose)
{
    if (verbose) {
        QObject::connect(&client, &ServoClient::frameSent, &client,
                         [&console](const QByteArray &bytes) { console.trace("TX", bytes); });
        QObject::connect(&client, &ServoClient::bytesReceived, &client,
                         [&console](const QByteArray &bytes) { console.trace("RX", bytes); });
    }
    QObject::connect(&client, &ServoClient::portLost, &client,
                     [&console, port](const QString &reason) {
                         console.message(port, LinkText::portLost(reason));
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
    if (reply.outcome == ServoClient::Outcome::Answered)
        *values = reply.values;
    else if (reply.outcome == ServoClient::Outcome::NoAnswer)
        m_console.message(m_port, pointingToTheDoctor(LinkText::noAnswer(
                                      reply, ServoSetUp::Result::Step::Read, m_client.timeout())));
    // A lost port was said when it was lost.
    return ExitStatus::of(reply.outcome);
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

QStringList ServoSession::problems(const ServoSetUp::Result &result, int timeoutMs)
{
    QStringList problems = LinkText::problems(result, timeoutMs);
    if (result.outcome == ServoSetUp::Result::Outcome::NoAnswer)
        problems.first() = pointingToTheDoctor(problems.constFirst());
    return problems;
}

int ServoSession::report(const ServoSetUp::Result &result)
{
    const int status = ExitStatus::of(result);
    const QStringList problems = ServoSession::problems(result, m_client.timeout());
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
