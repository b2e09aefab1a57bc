#include "batchrun.h"

#include "console.h"
#include "exitstatus.h"
#include "parameterformat.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <csignal>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int)
{
    stopRequested = 1;
}

// A CSV field: quoted when it holds a comma, a quote or a line end.
QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
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
    int status = m_session.open();
    if (status != ExitStatus::kSuccess)
        return status;

    stopRequested = 0;
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);

    while (!stopRequested && (m_invocation.count == 0 || m_number < m_invocation.count)) {
        m_console.message(m_session.port(),
                          QStringLiteral("waiting for servo %1").arg(m_number + 1));
        Result result;
        bool found = false;
        status = waitForServo(&result.before, &found);
        if (status != ExitStatus::kSuccess || !found)
            break;
        ++m_number;
        status = setUp(&result);
        if (status != ExitStatus::kSuccess)
            break;
        report(result);
        logResult(result);
        if (m_invocation.count != 0 && m_number >= m_invocation.count)
            break;
        m_console.message(m_session.port(),
                          QStringLiteral("servo %1 done: unplug it").arg(m_number));
        status = waitUntilGone();
        if (status != ExitStatus::kSuccess)
            break;
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    m_console.out(QStringLiteral("%1 servos: %2 passed, %3 failed")
                      .arg(m_number)
                      .arg(m_passed)
                      .arg(m_failed));
    if (status != ExitStatus::kSuccess)
        return status;
    return m_failed == 0 ? ExitStatus::kSuccess : ExitStatus::kDifferent;
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
    if (check.written.outcome == ServoClient::Outcome::PortLost)
        return m_session.failure(check.written, "write");
    if (check.written.outcome == ServoClient::Outcome::NoAnswer) {
        result->problems.append(QStringLiteral("no answer to the write request"));
        return ExitStatus::kSuccess;
    }
    if (check.readBack->outcome == ServoClient::Outcome::PortLost)
        return m_session.failure(*check.readBack, "read");
    if (check.readBack->outcome == ServoClient::Outcome::NoAnswer) {
        result->problems.append(QStringLiteral("no answer to the read-back request"));
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
    (result.passed ? m_passed : m_failed) += 1;
    QString line = QStringLiteral("%1 %2 %3")
                       .arg(m_number)
                       .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")),
                            result.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
    if (!result.problems.isEmpty())
        line += QLatin1Char(' ') + result.problems.join(QLatin1String("; "));
    m_console.out(line);
}

bool BatchRun::openLog()
{
    if (m_invocation.logFile.isEmpty())
        return true;
    m_log.setFileName(m_invocation.logFile);
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        m_console.message(m_invocation.logFile,
                          QStringLiteral("cannot append: %1").arg(m_log.errorString()));
        return false;
    }
    if (m_log.size() > 0)
        return true;
    QStringList header = {QStringLiteral("time"), QStringLiteral("port"), QStringLiteral("number"),
                          QStringLiteral("result")};
    for (const char *when : {"before", "after"}) {
        for (const ParameterInfo &param : kParameters)
            header.append(
                QStringLiteral("%1_%2").arg(QLatin1String(when), QLatin1String(param.name)));
    }
    m_log.write(header.join(QLatin1Char(',')).toUtf8() + '\n');
    return m_log.flush();
}

// One row per servo, written through at once: a batch that is killed keeps
// every row of the servos it has finished.
void BatchRun::logResult(const Result &result)
{
    if (!m_log.isOpen())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    QStringList fields = {now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate),
                          csvField(m_session.port()), QString::number(m_number),
                          result.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL")};
    appendValues(&fields, &result.before);
    appendValues(&fields, result.haveAfter ? &result.after : nullptr);
    m_log.write(fields.join(QLatin1Char(',')).toUtf8() + '\n');
    if (!m_log.flush())
        m_console.message(m_invocation.logFile,
                          QStringLiteral("cannot append: %1").arg(m_log.errorString()));
}
