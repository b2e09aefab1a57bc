#include "linktext.h"

#include "console.h"
#include "parameterformat.h"
#include "port/linesettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using Kind = LineFinding::Kind;
using Step = PortDoctor::Step;

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1);
}

// What usually causes what came back, and what to do.
QString advice(Kind kind)
{
    switch (kind) {
    case Kind::Nothing:
        return QStringLiteral("the servo has no power, is not plugged in, or TX and RX are not "
                              "crossed");
    case Kind::EchoOnly:
        return QStringLiteral("a one-wire (half-duplex) adapter echoes what it sends, and no "
                              "servo answered: is one powered and plugged in?");
    case Kind::NoFrame:
        return QStringLiteral("the wrong speed, or noise on the line");
    case Kind::BadChecksum:
        return QStringLiteral("a noisy line: a long or unshielded cable, or a poor ground");
    case Kind::OtherKind:
        return QStringLiteral("the device on the line does not answer a read request as the "
                              "servo does");
    case Kind::Late:
    case Kind::Answered:
        break;
    }
    return QString();
}

QString portText(const PortDoctor::Result &r)
{
    if (r.problem != Step::Port)
        return QStringLiteral("ok, %1").arg(r.port);
    QString text = QStringLiteral("%1 is not there; ").arg(r.port);
    if (r.portsPresent.isEmpty())
        return text + QStringLiteral("the system lists no serial port: is the adapter plugged in?");
    text += QStringLiteral("the system lists %1").arg(r.portsPresent.join(QLatin1String(", ")));
    if (!r.onlyUsbPort.isEmpty())
        text += QStringLiteral("; its one USB serial port is %1: try --port %1").arg(r.onlyUsbPort);
    return text;
}

QString speedText(const PortDoctor::Result &r)
{
    const QString set = r.driverBaudRate > 0
                            ? QStringLiteral("the driver set %1 baud").arg(r.driverBaudRate)
                            : QStringLiteral("the driver does not say which speed it set");
    if (r.problem != Step::Speed)
        return QStringLiteral("ok, %1").arg(set);
    return QStringLiteral("%1, not %2: the servo needs %2 within %3 %; %4")
        .arg(set)
        .arg(LineSettings::kBaudRate)
        .arg(PortDoctor::kSpeedTolerance * 100)
        .arg(r.underWine ? QStringLiteral("Wine sets a speed of no standard rate, as %1 baud is, "
                                          "as 38400 with a custom divisor that only some drivers "
                                          "honour, and says 38400: on Linux, use the Linux build")
                               .arg(LineSettings::kBaudRate)
                         : QStringLiteral("this adapter or its driver cannot run at that speed: "
                                          "use one that can"));
}

// A late answer: what usually holds it back, and where to change it.
QString latencyAdvice(const PortDoctor::Result &r)
{
    QString text = QStringLiteral("usually the adapter's latency timer (16 ms by default on "
                                  "FTDI adapters)");
#ifdef Q_OS_WIN
    Q_UNUSED(r);
    return text + QStringLiteral(": set it to 1 in Device Manager, the port's Port Settings, "
                                 "Advanced, Latency Timer");
#else
    if (r.latencyTimerPath.isEmpty())
        return text;
    return text + QStringLiteral("; %1 is %2: set it to 1 with 'echo 1 | sudo tee %1'")
                      .arg(r.latencyTimerPath)
                      .arg(r.latencyTimerMs);
#endif
}

QString answerText(const PortDoctor::Result &r)
{
    const LineFinding &f = r.finding;
    const QString wire =
        QStringLiteral("the %1 ms its bytes take on the wire").arg(ms(LineFinding::wireMs()));
    if (f.kind == Kind::Answered)
        return QStringLiteral("ok, a read answer after %1 ms (%2)")
            .arg(ms(f.roundTripMs), wire);
    if (f.kind == Kind::Late)
        return QStringLiteral("a read answer, but after %1 ms, %2 times %3: %4")
            .arg(ms(f.roundTripMs))
            .arg(qRound(f.roundTripMs / LineFinding::wireMs()))
            .arg(wire, latencyAdvice(r));
    if (!r.lostReason.isEmpty())
        return QStringLiteral("the port was lost while listening: %1").arg(r.lostReason);
    return QStringLiteral("%1: %2").arg(LinkText::finding(f), advice(f.kind));
}

// The doctor's checks as far as it got: each one's name, whether it passed,
// and what it found.
struct Check
{
    const char *name;
    bool ok;
    QString text;
};

QVector<Check> checksOf(const PortDoctor::Result &r)
{
    QVector<Check> checks = {{"port", r.problem != Step::Port, portText(r)}};
    if (r.problem == Step::Port)
        return checks;
    if (r.problem == Step::Open)
        return checks << Check{"open", false, LinkText::cannotOpen(r.openProblem)};
    checks << Check{"open", true, QStringLiteral("ok")}
           << Check{"speed", r.problem != Step::Speed, speedText(r)};
    if (r.problem != Step::Speed)
        checks << Check{"answer", r.finding.kind == Kind::Answered && r.lostReason.isEmpty(),
                        answerText(r)};
    return checks;
}

const char *findingName(Kind kind)
{
    static const char *const names[] = {"nothing",   "echoOnly", "noFrame", "badChecksum",
                                        "otherKind", "late",     "answered"};
    return names[int(kind)];
}

} // namespace

namespace LinkText {

QString openProblem(const PortProblem &problem)
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
        return text + QStringLiteral("; another program has it open") +
               (problem.holder.isEmpty() ? QString() : QStringLiteral(": ") + problem.holder);
    case PortProblem::Cause::Other:
        break;
    }
    return text;
}

QString finding(const LineFinding &finding)
{
    switch (finding.kind) {
    case Kind::Nothing:
        return QStringLiteral("nothing came back");
    case Kind::EchoOnly:
        return QStringLiteral("only the request's echo came back");
    case Kind::NoFrame:
        return QStringLiteral("bytes came back (%1), but never a frame")
            .arg(Console::hex(finding.firstBytes));
    case Kind::BadChecksum:
        return QStringLiteral("frames came back that failed their checksum");
    case Kind::OtherKind:
        return QStringLiteral("only a frame of another kind came back");
    case Kind::Late:
    case Kind::Answered:
        break;
    }
    return QStringLiteral("an answer came back");
}

QString noAnswer(const ServoClient::Reply &reply, const char *request, int timeoutMs)
{
    return QStringLiteral("no answer to the %1 request after %2 of %3 ms: %4 ('nimbalctl doctor' "
                          "looks for the cause)")
        .arg(QLatin1String(request))
        .arg(reply.attempts == 1 ? QStringLiteral("1 attempt")
                                 : QStringLiteral("%1 attempts").arg(reply.attempts))
        .arg(timeoutMs)
        .arg(finding(reply.finding));
}

QStringList problems(const ServoSetUp::Result &result, int timeoutMs)
{
    using Outcome = ServoSetUp::Result::Outcome;
    const char *step = result.step == ServoSetUp::Result::Step::Write ? "write" : "read-back";
    switch (result.outcome) {
    case Outcome::Passed:
        break;
    case Outcome::Mismatch:
        return ParameterFormat::differences(result.wanted, QStringLiteral("wanted"), *result.after,
                                            QStringLiteral("servo"));
    case Outcome::NoAnswer:
        return {noAnswer(result.reply, step, timeoutMs)};
    case Outcome::PortLost:
        return {QStringLiteral("port lost during the %1").arg(QLatin1String(step))};
    }
    return {};
}

QString cannotOpen(const PortProblem &problem)
{
    return QStringLiteral("cannot open: %1").arg(openProblem(problem));
}

QStringList doctorLines(const PortDoctor::Result &r)
{
    QStringList lines;
    for (const Check &check : checksOf(r))
        lines << QLatin1String(check.name) + QStringLiteral(": ") + check.text;
    return lines;
}

QString doctorJson(const PortDoctor::Result &r, int status)
{
    QJsonObject object{{QStringLiteral("port"), r.port}, {QStringLiteral("status"), status}};
    QJsonArray checks;
    for (const Check &check : checksOf(r))
        checks.append(QJsonObject{{QStringLiteral("check"), QLatin1String(check.name)},
                                  {QStringLiteral("ok"), check.ok},
                                  {QStringLiteral("text"), check.text}});
    object.insert(QStringLiteral("checks"), checks);
    if (r.problem == Step::Port)
        object.insert(QStringLiteral("portsPresent"), QJsonArray::fromStringList(r.portsPresent));
    if (r.driverBaudRate > 0)
        object.insert(QStringLiteral("driverBaudRate"), r.driverBaudRate);
    if (r.problem != Step::Port && r.problem != Step::Open && r.problem != Step::Speed) {
        object.insert(QStringLiteral("finding"), QLatin1String(findingName(r.finding.kind)));
        object.insert(QStringLiteral("wireMs"), LineFinding::wireMs());
        if (r.finding.kind == Kind::Answered || r.finding.kind == Kind::Late)
            object.insert(QStringLiteral("roundTripMs"), r.finding.roundTripMs);
        if (!r.finding.firstBytes.isEmpty())
            object.insert(QStringLiteral("firstBytes"), Console::hex(r.finding.firstBytes));
        if (r.latencyTimerMs >= 0)
            object.insert(QStringLiteral("latencyTimerMs"), r.latencyTimerMs);
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

} // namespace LinkText
