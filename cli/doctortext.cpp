#include "doctortext.h"

#include "port/linesettings.h"
#include "text/linktext.h"

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
    return QStringLiteral("%1: %2").arg(LinkText::finding(f), LinkText::cause(f.kind));
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

namespace DoctorText {

QStringList lines(const PortDoctor::Result &r)
{
    QStringList lines;
    for (const Check &check : checksOf(r))
        lines << QLatin1String(check.name) + QStringLiteral(": ") + check.text;
    return lines;
}

QString json(const PortDoctor::Result &r, int status)
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
            object.insert(QStringLiteral("firstBytes"), LinkText::hex(r.finding.firstBytes));
        if (r.latencyTimerMs >= 0)
            object.insert(QStringLiteral("latencyTimerMs"), r.latencyTimerMs);
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

} // namespace DoctorText
