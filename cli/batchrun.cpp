#include "batchrun.h"

#include "commandtable.h"
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

void appendValues(QStringList *fields, const std::optional<ParameterSet> &values)
{
    for (const ParameterInfo &param : kParameters)
        fields->append(values ? QString::number(values->value(param.id)) : QString());
}

QString resultWord(const ServoSession::Verdict &verdict)
{
    return verdict.status == ExitStatus::kSuccess ? QStringLiteral("PASS") : QStringLiteral("FAIL");
}

} // namespace

BatchRun::BatchRun(const Invocation &invocation, Console &console)
    : m_console(console), m_file(invocation.arguments.constFirst()),
      m_logFile(invocation.value("log")), m_count(invocation.number("count", 0)),
      m_session(invocation.servo, console)
{}

int BatchRun::run()
{
    const std::optional<ParameterSet> wanted = ParameterFormat::loadFile(m_file, m_console);
    if (!wanted || !openLog())
        return ExitStatus::kBadInput;
    m_wanted = *wanted;
    const int opened = m_session.open();
    if (opened != ExitStatus::kSuccess)
        return opened;

    stopRequested = 0;
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    const int status = loop();
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
    return countReached() || m_count == 0 ? ExitStatus::kSuccess : ExitStatus::kStopped;
}

int BatchRun::loop()
{
    const QString port = m_session.port();
    while (!stopRequested && !countReached()) {
        m_console.message(port, QStringLiteral("waiting for servo %1").arg(m_number + 1));
        const std::optional<ParameterSet> before = waitForServo();
        if (!before)
            break;
        ++m_number;
        const ServoSession::Verdict verdict = m_session.writeAndVerify(m_wanted, true);
        if (!record(*before, verdict))
            return ExitStatus::kBadInput;
        if (verdict.status == ExitStatus::kPortTrouble || countReached())
            break;
        m_console.message(port, QStringLiteral("servo %1 done: unplug it").arg(m_number));
        waitUntilGone();
    }
    // A lost port has been said when it was lost.
    return m_session.client().isOpen() ? ExitStatus::kSuccess : ExitStatus::kPortTrouble;
}

std::optional<ParameterSet> BatchRun::waitForServo()
{
    while (!stopRequested && m_session.client().isOpen()) {
        const ServoClient::Reply reply = m_session.client().probe(kProbeIntervalMs);
        if (reply.outcome == ServoClient::Outcome::Answered)
            return reply.values;
    }
    return std::nullopt;
}

// The log row first: a servo whose result was printed is in the log.
bool BatchRun::record(const ParameterSet &before, const ServoSession::Verdict &verdict)
{
    (verdict.status == ExitStatus::kSuccess ? m_passed : m_failed) += 1;
    QString reason;
    const bool logged = !m_log.isOpen() || m_log.append(logRow(before, verdict), &reason);
    if (!logged)
        m_console.message(m_logFile, QStringLiteral("cannot append: %1").arg(reason));
    // ASCII digits whatever the locale.
    QString line = QStringLiteral("%1 %2 %3")
                       .arg(m_number)
                       .arg(QLocale::c().toString(QTime::currentTime(), QStringLiteral("HH:mm:ss")),
                            resultWord(verdict));
    if (!verdict.problems.isEmpty())
        line += QLatin1Char(' ') + verdict.problems.join(QLatin1String("; "));
    m_console.out(line);
    return logged && !m_console.outputFailed();
}

void BatchRun::waitUntilGone()
{
    ServoClient &client = m_session.client();
    QElapsedTimer sinceAnswer;
    sinceAnswer.start();
    while (!stopRequested && client.isOpen() && sinceAnswer.elapsed() < kGoneAfterMs) {
        QElapsedTimer probe;
        probe.start();
        if (client.probe(kProbeIntervalMs).outcome != ServoClient::Outcome::Answered)
            continue;
        sinceAnswer.restart();
        // One request every interval, not a stream of them.
        const qint64 left = kProbeIntervalMs - probe.elapsed();
        if (left > 0)
            client.pause(int(left));
    }
}

bool BatchRun::openLog()
{
    if (m_logFile.isEmpty())
        return true;
    QStringList header = {QStringLiteral("time"), QStringLiteral("port"), QStringLiteral("number"),
                          QStringLiteral("result")};
    for (const char *when : {"before", "after"}) {
        for (const ParameterInfo &param : kParameters)
            header.append(
                QStringLiteral("%1_%2").arg(QLatin1String(when), QLatin1String(param.name)));
    }
    QString reason;
    if (m_log.open(m_logFile, header, &reason))
        return true;
    m_console.message(m_logFile, QStringLiteral("cannot append: %1").arg(reason));
    return false;
}

QStringList BatchRun::logRow(const ParameterSet &before, const ServoSession::Verdict &verdict) const
{
    const QDateTime now = QDateTime::currentDateTime();
    QStringList fields = {now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate),
                          BatchLog::field(m_session.port()), QString::number(m_number),
                          resultWord(verdict)};
    appendValues(&fields, before);
    appendValues(&fields, verdict.readBack);
    return fields;
}
