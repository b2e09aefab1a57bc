#include "batchrun.h"

#include "commandline.h"
#include "commandtable.h"
#include "console.h"
#include "exitstatus.h"
#include "files/auditlog.h"
#include "lane/lanegroup.h"
#include "lane/terminationwatch.h"
#include "linelabels.h"
#include "nimbalversion.h"
#include "parameterformat.h"
#include "recordcommands.h"
#include "recorddatabase.h"
#include "recordsender.h"
#include "stdinlines.h"
#include "text/linktext.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>
#include <QTime>

#include <memory>

BatchRun::BatchRun(const Invocation &invocation, Console &console)
    : m_console(console), m_servo(invocation.servo), m_file(invocation.arguments.constFirst()),
      m_logFile(invocation.value("log")), m_count(invocation.number("count", 0)),
      m_db(RecordCommands::databaseOf(invocation)), m_station(invocation.value("station")),
      m_operator(invocation.value("operator")), m_labels(invocation.isSet("labels"))
{}

int BatchRun::run()
{
    const std::optional<ParameterSet> wanted = checkedInput();
    if (!wanted)
        return ExitStatus::kBadInput;
    const AuditLog::Run run =
        AuditLog::Run::begin(m_station.isEmpty() ? QSysInfo::machineHostName() : m_station, m_file,
                             *wanted, m_operator, QStringLiteral("nimbalctl " NIMBAL_VERSION));
    LaneGroup group(
        {m_servo.ports, *wanted, m_servo.timeoutMs, m_servo.retries, m_labels, m_count, run});
    QString reason;
    if (!m_logFile.isEmpty() && !group.openLog(m_logFile, &reason)) {
        m_console.message(m_logFile, QStringLiteral("cannot append: %1").arg(reason));
        return ExitStatus::kBadInput;
    }
    std::unique_ptr<LineLabels> lineLabels;
    const std::unique_ptr<RecordSender> sender = record(group, &lineLabels);
    for (Lane *lane : group.lanes()) {
        if (!lane->open()) {
            m_console.message(lane->port(), LinkText::cannotOpen(lane->adapterProblem()));
            return ExitStatus::kPortTrouble;
        }
    }
    watch(group);
    StdinLines lines;
    if (m_labels)
        takeLabels(group, lines);
    waitUntilFinished(group);
    if (sender)
        sendLastRows(*sender);
    m_console.out(LinkText::totals(group.done(), group.passed(), group.failed()));
    return ExitStatus::of(ExitStatus::BatchEnd{m_logFailed || m_console.outputFailed(),
                                               group.portWasLost(), group.failed() > 0,
                                               m_count != 0 && group.done() < m_count});
}

std::unique_ptr<RecordSender> BatchRun::record(LaneGroup &group,
                                               std::unique_ptr<LineLabels> *lineLabels)
{
    if (m_db.isEmpty())
        return nullptr;
    // The rows go to the database from the log, which keeps them meanwhile;
    // those an earlier run left unsent go first.
    auto sender = std::make_unique<RecordSender>(m_db, m_logFile);
    QObject::connect(&group, &LaneGroup::servoDone, sender.get(), &RecordSender::rowsAdded);
    QObject::connect(
        sender.get(), &RecordSender::statusChanged, &group,
        [this](int waiting, const QString &problem) { watchDatabase(waiting, problem); });
    sender->start();
    if (m_labels) {
        *lineLabels = std::make_unique<LineLabels>(m_db, m_servo.timeoutMs);
        group.setLineCheck((*lineLabels)->ask());
    }
    return sender;
}

void BatchRun::sendLastRows(RecordSender &sender)
{
    // The last rows get a pass of their own before the batch ends.
    QEventLoop loop;
    QObject::connect(&sender, &RecordSender::passEnded, &loop, [&] {
        if (sender.isCaughtUp())
            loop.quit();
    });
    sender.rowsAdded();
    loop.exec();
    if (sender.waiting() > 0)
        m_console.message(m_logFile, QStringLiteral("%1 rows wait for the database; they go with "
                                                    "the next run, or with 'nimbalctl db send'")
                                         .arg(sender.waiting()));
}

void BatchRun::takeLabels(LaneGroup &group, StdinLines &lines)
{
    const auto feed = [this, &group, &lines] {
        feedLabels(group, lines);
    };
    QObject::connect(&lines, &StdinLines::arrived, &group, feed);
    QObject::connect(&group, &LaneGroup::labelsChanged, &group, feed);
    QObject::connect(&group, &LaneGroup::labelRefused, &group,
                     [this, feed](const QString &label, const QString &reason) {
                         m_console.message(QStringLiteral("label %1").arg(label),
                                           QStringLiteral("refused: %1").arg(reason));
                         feed();
                     });
    lines.start();
}

void BatchRun::watchDatabase(int waiting, const QString &problem)
{
    if (problem == m_dbProblem)
        return;
    if (!problem.isEmpty())
        m_console.message(problem);
    else
        m_console.message(QStringLiteral("database %1").arg(RecordDatabase::shown(m_db)),
                          QStringLiteral("rows go again; %1 wait").arg(waiting));
    m_dbProblem = problem;
}

void BatchRun::feedLabels(LaneGroup &group, StdinLines &lines)
{
    // A label given moves the lanes on, which asks again: the loop below
    // goes on instead.
    if (m_feeding)
        return;
    m_feeding = true;
    while (group.laneForNextLabel() && !group.isCheckingLabel() && group.isRunning()) {
        const std::optional<QString> line = lines.take();
        if (line) {
            group.offerLabel(*line);
            continue;
        }
        if (lines.atEnd()) {
            m_console.message(QStringLiteral("standard input ended: no more labels; stopping"));
            group.stop();
        }
        break;
    }
    m_feeding = false;
}

std::optional<ParameterSet> BatchRun::checkedInput()
{
    const std::optional<ParameterSet> wanted = ParameterFormat::loadFile(m_file, m_console);
    if (!wanted)
        return std::nullopt;
    const int repeated = LaneGroup::firstRepeatedPort(m_servo.ports);
    if (repeated >= 0) {
        CommandLine::usageError(
            m_console, QStringLiteral("batch"),
            QStringLiteral("--port %1 is given twice").arg(m_servo.ports.at(repeated)));
        return std::nullopt;
    }
    if (m_servo.ports.size() > LaneGroup::kMostLanes) {
        CommandLine::usageError(m_console, QStringLiteral("batch"),
                                QStringLiteral("--port may be given %1 times at most, not %2")
                                    .arg(LaneGroup::kMostLanes)
                                    .arg(m_servo.ports.size()));
        return std::nullopt;
    }
    // The database gets its rows from the log, which keeps them while it is
    // away: a file that can be read again.
    if (!m_db.isEmpty() &&
        (m_logFile.isEmpty() || (QFileInfo::exists(m_logFile) && !QFileInfo(m_logFile).isFile()))) {
        CommandLine::usageError(m_console, QStringLiteral("batch"),
                                QStringLiteral("--db needs --log with a regular file: the rows "
                                               "go to the database from it"));
        return std::nullopt;
    }
    // A slip of the hand, "--log F F", must not append rows to the very file
    // the servos are set up from.
    if (!m_logFile.isEmpty() && AuditLog::sameFile(m_logFile, m_file)) {
        m_console.message(m_logFile, QStringLiteral("is the parameter file %1: the log goes to "
                                                    "another file")
                                         .arg(m_file));
        return std::nullopt;
    }
    return wanted;
}

void BatchRun::watch(LaneGroup &group)
{
    const bool several = group.lanes().size() > 1;
    for (Lane *lane : group.lanes()) {
        ServoSession::watch(lane->client(), lane->port(), m_console, m_servo.verbose);
        QObject::connect(lane, &Lane::stateChanged, &group, [this, &group, lane](Lane::State s) {
            if (s == Lane::State::WaitingForServo)
                m_console.message(lane->port(),
                                  QStringLiteral("waiting for servo %1").arg(group.nextNumber()));
            else if (s == Lane::State::WaitingForLabel)
                m_console.message(lane->port(), QStringLiteral("a servo is there: its label, "
                                                               "please"));
            else if (s == Lane::State::WaitingUntilGone)
                m_console.message(
                    lane->port(),
                    QStringLiteral("servo %1 done: unplug it").arg(m_numbers.value(lane)));
            else if (s == Lane::State::AdapterGone)
                m_console.message(lane->port(), QStringLiteral("adapter gone: trying it again "
                                                               "every second"));
        });
    }
    QObject::connect(&group, &LaneGroup::logFailed, &group, [this](const QString &reason) {
        m_console.message(m_logFile, QStringLiteral("cannot append: %1").arg(reason));
        m_logFailed = true;
    });
    QObject::connect(&group, &LaneGroup::servoDone, &group,
                     [this, &group, several](Lane *lane, int number, const Lane::Result &result) {
                         report(lane, number, result, several);
                         if (m_console.outputFailed())
                             group.stop();
                     });
}

void BatchRun::report(Lane *lane, int number, const Lane::Result &result, bool withPort)
{
    m_numbers.insert(lane, number);
    // ASCII digits whatever the locale.
    QString line = QStringLiteral("%1 %2 ").arg(number).arg(
        QLocale::c().toString(QTime::currentTime(), QStringLiteral("HH:mm:ss")));
    if (withPort)
        line += result.port + QLatin1Char(' ');
    line += result.passed() ? QStringLiteral("PASS") : QStringLiteral("FAIL");
    const QStringList problems = ServoSession::problems(result, m_servo.timeoutMs);
    if (!problems.isEmpty())
        line += QLatin1Char(' ') + problems.join(QLatin1String("; "));
    m_console.out(line);
}

void BatchRun::waitUntilFinished(LaneGroup &group)
{
    QEventLoop loop;
    QObject::connect(&group, &LaneGroup::finished, &loop, &QEventLoop::quit);
    const TerminationWatch termination;
    QObject::connect(&termination, &TerminationWatch::requested, &group, &LaneGroup::stop);
    group.start();
    if (group.isRunning())
        loop.exec();
}
