#include "servosession.h"

#include "console.h"
#include "exitstatus.h"
#include "linktext.h"
#include "parameterformat.h"
#include "port/portlist.h"

ServoSession::ServoSession(const Options &options, Console &console)
    : m_console(console), m_port(options.port)
{
    m_client.setTimeout(options.timeoutMs);
    m_client.setRetries(options.retries);
    if (options.verbose) {
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
    m_console.message(m_port,
                      QStringLiteral("cannot open: %1").arg(LinkText::openProblem(problem)));
    return ExitStatus::kPortTrouble;
}

QString ServoSession::noAnswerText(const ServoClient::Reply &reply, const char *request) const
{
    return QStringLiteral("no answer to the %1 request after %2 of %3 ms: %4 ('nimbalctl doctor' "
                          "looks for the cause)")
        .arg(QLatin1String(request))
        .arg(reply.attempts == 1 ? QStringLiteral("1 attempt")
                                 : QStringLiteral("%1 attempts").arg(reply.attempts))
        .arg(m_client.timeout())
        .arg(LinkText::finding(reply.finding));
}

int ServoSession::read(ParameterSet *values)
{
    const ServoClient::Reply reply = m_client.read();
    switch (reply.outcome) {
    case ServoClient::Outcome::Answered:
        *values = reply.values;
        return ExitStatus::kSuccess;
    case ServoClient::Outcome::NoAnswer:
        m_console.message(m_port, noAnswerText(reply, "read"));
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

ServoSession::Verdict ServoSession::writeAndVerify(const ParameterSet &values, bool verify)
{
    Verdict verdict;
    // A servo that did not answer, or whose port went, holds an unknown setting.
    const auto unknown = [&](const ServoClient::Reply &reply, const char *step) {
        const bool lost = reply.outcome == ServoClient::Outcome::PortLost;
        verdict.status = lost ? ExitStatus::kPortTrouble : ExitStatus::kNoAnswer;
        verdict.problems =
            QStringList{lost ? QStringLiteral("port lost during the %1").arg(QLatin1String(step))
                             : noAnswerText(reply, step)};
        return verdict;
    };
    const ServoClient::Reply written = m_client.write(values);
    if (written.outcome != ServoClient::Outcome::Answered)
        return unknown(written, "write");
    if (!verify)
        return verdict;
    const ServoClient::Reply readBack = m_client.read();
    if (readBack.outcome != ServoClient::Outcome::Answered)
        return unknown(readBack, "read-back");
    verdict.readBack = readBack.values;
    verdict.problems = ParameterFormat::differences(values, QStringLiteral("wanted"),
                                                    readBack.values, QStringLiteral("servo"));
    verdict.status = verdict.problems.isEmpty() ? ExitStatus::kSuccess : ExitStatus::kDifferent;
    return verdict;
}

int ServoSession::report(const Verdict &verdict)
{
    if (verdict.status == ExitStatus::kNoAnswer)
        m_console.message(m_port, verdict.problems.constFirst());
    if (verdict.status != ExitStatus::kDifferent)
        return verdict.status; // a lost port was said when it was lost
    for (const QString &line : verdict.problems)
        m_console.out(line);
    m_console.message(m_port, QStringLiteral("verification failed: %1 of %2 values differ")
                                  .arg(verdict.problems.size())
                                  .arg(kParameterCount));
    return ExitStatus::kDifferent;
}
