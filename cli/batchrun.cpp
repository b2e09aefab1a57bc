#include "batchrun.h"

#include "console.h"
#include "exitstatus.h"
#include "parameterformat.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>

#include <csignal>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int)
{
    stopRequested = 1;
}

void appendValues(QStringList *fields, const ParameterSet *values)
{
    for (const ParameterInfo &param : kParameters)
        fields->append(values ? QString::number(values->value(param.id)) : QString());
}

} // namespace

BatchRun::BatchRun(const Invocation &invocation, Console &console)
    : m_invocation(invocation), m_console(console), m_session(invocation, console)
{}

int BatchRun::run()
{
    const std::optional<ParameterSet> wanted =
        ParameterFormat::loadFile(m_invocation.arguments.first(), m_console);
    if (!wanted)
        return ExitStatus::kBadInput;
    m_wanted = *wanted;
    if (!openLog())
        return ExitStatus::kBadInput;
    const int status = m_session.open();
    if (status != ExitStatus::kSuccess)
        return status;

    stopRequested = 0;
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    return finish(loop());
}

int BatchRun::loop()
{
    const int count = m_invocation.count;
    while (!stopRequested && (count == 0 || m_number < count)) {
        m_console.message(m_session.port(),
                          QStringLiteral("waiting for servo %1").arg(m_number + 1));
        Result result;
        bool found = false;
        int status = waitForServo(&result.before, &found);
        if (status != ExitStatus::kSuccess || !found)
            return status;
        ++m_number;
        status = finishServo(result);
        if (status != ExitStatus::kSuccess || (count != 0 && m_number >= count))
            return status;
        m_console.message(m_session.port(),
                          QStringLiteral("servo %1 done: unplug it").arg(m_number));
        status = waitUntilGone();
        if (status != ExitStatus::kSuccess)
            return status;
    }
    return ExitStatus::kSuccess;
}

// Sets the servo up, then logs and reports it, the log row first: a servo
// whose result was printed is in the log.
int BatchRun::finishServo(Result result)
{
    const int status = setUp(&result);
    (result.passed ? m_passed : m_failed) += 1;
    QString reason;
    if (m_log.isOpen() && !m_log.append(logRow(result), &reason)) {
        m_console.message(m_invocation.logFile, QStringLiteral("cannot append: %1").arg(reason));
        report(result);
        return ExitStatus::kBadInput;
    }
    report(result);
    if (m_console.outputFailed())
        return ExitStatus::kBadInput;
    return status;
}

int BatchRun::finish(int status)
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    m_console.out(QStringLiteral("%1 servos: %2 passed, %3 failed")
                      .arg(m_number)
                      .arg(m_passed)
                      .arg(m_failed));
    if (status != ExitStatus::kSuccess)
        return status;
    if (m_failed > 0)
        return ExitStatus::kDifferent;
    // Stopped before the servos asked for were done.
    if (m_invocation.count != 0 && m_number < m_invocation.count)
        return ExitStatus::kStopped;
    return ExitStatus::kSuccess;
}

int BatchRun::waitForServo(ParameterSet *before, bool *found)
{
    while (!stopRequested) {
        const ServoClient::Reply reply = m_session.client().probe(kProbeIntervalMs);
        if (reply.outcome == ServoClient::Outcome::PortLost)
            return m_session.failure(reply, "read");
        if (reply.outcome == ServoClient::Outcome::Answered) {
            *before = reply.values;
            *found = true;
            return ExitStatus::kSuccess;
        }
    }
    return ExitStatus::kSuccess;
}

int BatchRun::setUp(Result *result)
{
    const ServoSession::WriteCheck check = m_session.writeAndVerify(m_wanted, true);
    const char *request = "write";
    ServoClient::Outcome outcome = check.written.outcome;
    if (outcome == ServoClient::Outcome::Answered) {
        request = "read-back";
        outcome = check.readBack->outcome;
    }
    // A servo cut off on the way counts as failed: its setting is unknown.
    if (outcome == ServoClient::Outcome::PortLost) {
        result->problems.append(
            QStringLiteral("port lost during the %1").arg(QLatin1String(request)));
        return ExitStatus::kPortTrouble;
    }
    if (outcome == ServoClient::Outcome::NoAnswer) {
        result->problems.append(
            QStringLiteral("no answer to the %1 request").arg(QLatin1String(request)));
        return ExitStatus::kSuccess;
    }
    result->haveAfter = true;
    result->after = check.readBack->values;
    result->problems = check.differences;
    result->passed = result->problems.isEmpty();
    return ExitStatus::kSuccess;
}

int BatchRun::waitUntilGone()
{
    ServoClient &client = m_session.client();
    QElapsedTimer sinceAnswer;
    sinceAnswer.start();
    while (!stopRequested && sinceAnswer.elapsed() < kGoneAfterMs) {
        QElapsedTimer probe;
        probe.start();
        const ServoClient::Reply reply = client.probe(kProbeIntervalMs);
        if (reply.outcome == ServoClient::Outcome::PortLost)
            return m_session.failure(reply, "read");
        if (reply.outcome == ServoClient::Outcome::Answered) {
            sinceAnswer.restart();
            // One request every interval, not a stream of them.
            const qint64 left = kProbeIntervalMs - probe.elapsed();
            if (left > 0 && !client.pause(int(left)))
                return ExitStatus::kPortTrouble; // reported when it was lost
        }
    }
    return ExitStatus::kSuccess;
}

void BatchRun::report(const Result &result)
{
    // ASCII digits whatever the locale.
    QString line = QStringLiteral("%1 %2 %3")
                       .arg(m_number)
                       .arg(QLocale::c().toString(QTime::currentTime(), QStringLiteral("HH:mm:ss")),
                            result.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
    if (!result.problems.isEmpty())
        line += QLatin1Char(' ') + result.problems.join(QLatin1String("; "));
    m_console.out(line);
}

bool BatchRun::openLog()
{
    if (m_invocation.logFile.isEmpty())
        return true;
    QStringList header = {QStringLiteral("time"), QStringLiteral("port"), QStringLiteral("number"),
                          QStringLiteral("result")};
    for (const char *when : {"before", "after"}) {
        for (const ParameterInfo &param : kParameters)
            header.append(
                QStringLiteral("%1_%2").arg(QLatin1String(when), QLatin1String(param.name)));
    }
    QString reason;
    if (m_log.open(m_invocation.logFile, header, &reason))
        return true;
    m_console.message(m_invocation.logFile, QStringLiteral("cannot append: %1").arg(reason));
    return false;
}

QStringList BatchRun::logRow(const Result &result) const
{
    const QDateTime now = QDateTime::currentDateTime();
    QStringList fields = {now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate),
                          BatchLog::field(m_session.port()), QString::number(m_number),
                          result.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL")};
    appendValues(&fields, &result.before);
    appendValues(&fields, result.haveAfter ? &result.after : nullptr);
    return fields;
}
