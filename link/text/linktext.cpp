#include "text/linktext.h"

#include "text/catalogue.h"

#include <QLocale>
#include <QTranslator>

namespace {

using Kind = LineFinding::Kind;
using Step = ServoSetUp::Result::Step;

} // namespace

bool LinkText::installTranslation(const QLocale &locale)
{
    Q_INIT_RESOURCE(linktranslations);
    static QTranslator english;
    static QTranslator native;
    return Catalogue::install(QStringLiteral("nimbal-link"), locale, &english, &native);
}

QString LinkText::openProblem(const PortProblem &problem)
{
    const QString text = problem.systemReason.isEmpty() ? tr("cannot open") : problem.systemReason;
    switch (problem.cause) {
    case PortProblem::Cause::DeniedByGroup:
        if (problem.memberOfGroup)
            return tr("%1; the device belongs to group %2, which you joined after this login "
                      "began: log out and in again")
                .arg(text, problem.group);
        return tr("%1; the device belongs to group %2: add yourself with 'sudo usermod -aG %2 "
                  "\"$USER\"', then log out and in again")
            .arg(text, problem.group);
    case PortProblem::Cause::HeldByAnotherOne:
        if (problem.holder.isEmpty())
            return tr("%1; another program has it open").arg(text);
        return tr("%1; another program has it open: %2").arg(text, problem.holder);
    case PortProblem::Cause::NotThere:
        return tr("%1; the port is not there: is the adapter plugged in?").arg(text);
    case PortProblem::Cause::Other:
        break;
    }
    return text;
}

QString LinkText::cannotOpen(const PortProblem &problem)
{
    return tr("cannot open: %1").arg(openProblem(problem));
}

QString LinkText::portLost(const QString &reason)
{
    return tr("port lost: %1").arg(reason);
}

QString LinkText::finding(const LineFinding &finding)
{
    switch (finding.kind) {
    case Kind::Nothing:
        return tr("nothing came back");
    case Kind::EchoOnly:
        return tr("only the request's echo came back");
    case Kind::NoFrame:
        return tr("bytes came back (%1), but never a frame").arg(hex(finding.firstBytes));
    case Kind::BadChecksum:
        return tr("frames came back that failed their checksum");
    case Kind::OtherKind:
        return tr("only a frame of another kind came back");
    case Kind::Late:
    case Kind::Answered:
        break;
    }
    return tr("an answer came back");
}

QString LinkText::cause(Kind kind)
{
    switch (kind) {
    case Kind::Nothing:
        return tr("the servo has no power, is not plugged in, or TX and RX are not crossed");
    case Kind::EchoOnly:
        return tr("a one-wire (half-duplex) adapter echoes what it sends, and no servo "
                  "answered: is one powered and plugged in?");
    case Kind::NoFrame:
        return tr("the wrong speed, or noise on the line");
    case Kind::BadChecksum:
        return tr("a noisy line: a long or unshielded cable, or a poor ground");
    case Kind::OtherKind:
        return tr("the device on the line does not answer a read request as the servo does");
    case Kind::Late:
    case Kind::Answered:
        break;
    }
    return QString();
}

QString LinkText::noAnswer(const ServoClient::Reply &reply, Step step, int timeoutMs)
{
    const int n = reply.attempts;
    const QString what = finding(reply.finding);
    switch (step) {
    case Step::Read:
        return tr("no answer to the read request after %n attempt(s) of %1 ms: %2", nullptr, n)
            .arg(QString::number(timeoutMs), what);
    case Step::Write:
        return tr("no answer to the write request after %n attempt(s) of %1 ms: %2", nullptr, n)
            .arg(QString::number(timeoutMs), what);
    case Step::ReadBack:
        break;
    }
    return tr("no answer to the read-back request after %n attempt(s) of %1 ms: %2", nullptr, n)
        .arg(QString::number(timeoutMs), what);
}

QStringList LinkText::problems(const ServoSetUp::Result &result, int timeoutMs)
{
    using Outcome = ServoSetUp::Result::Outcome;
    switch (result.outcome) {
    case Outcome::Passed:
        break;
    case Outcome::Mismatch: {
        QStringList lines;
        for (const Parameter id : result.differing)
            lines.append(tr("%1: wanted %2, servo %3")
                             .arg(QLatin1String(infoOf(id).caption),
                                  valueText(id, result.wanted.value(id)),
                                  valueText(id, result.after->value(id))));
        return lines;
    }
    case Outcome::NoAnswer:
        return {noAnswer(result.reply, result.step, timeoutMs)};
    case Outcome::PortLost:
        switch (result.step) {
        case Step::Read:
            return {tr("port lost during the read")};
        case Step::Write:
            return {tr("port lost during the write")};
        case Step::ReadBack:
            return {tr("port lost during the read-back")};
        }
    }
    return {};
}

QString LinkText::totals(int done, int passed, int failed)
{
    return tr("%n servo(s): %1 passed, %2 failed", nullptr, done)
        .arg(QString::number(passed), QString::number(failed));
}

QString LinkText::valueText(Parameter id, int value)
{
    if (isSwitch(id))
        return value != 0 ? tr("on") : tr("off");
    return QString::number(value);
}

QString LinkText::hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
