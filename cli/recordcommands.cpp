#include "recordcommands.h"

#include "commandline.h"
#include "commandtable.h"
#include "console.h"
#include "exitstatus.h"
#include "files/parameterfile.h"
#include "recorddatabase.h"
#include "recordreport.h"
#include "recordrows.h"
#include "recordschema.h"
#include "recordsender.h"
#include "texttable.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <vector>

namespace {

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QJsonObject valuesJson(const ParameterSet &values)
{
    QJsonObject object;
    for (const ParameterInfo &param : kParameters)
        object.insert(QLatin1String(param.name), values.value(param.id));
    return object;
}

QJsonObject rowJson(const AuditLog::Row &row)
{
    return {
        {QStringLiteral("recorded_at"), timeText(row.recordedAt)},
        {QStringLiteral("time"), row.time.toString(Qt::ISODateWithMs)},
        {QStringLiteral("station"), row.run.station},
        {QStringLiteral("run"), row.run.id},
        {QStringLiteral("number"), row.number},
        {QStringLiteral("port"), row.port},
        {QStringLiteral("result"), row.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL")},
        {QStringLiteral("label"), row.label},
        {QStringLiteral("before"), valuesJson(row.before)},
        {QStringLiteral("after"),
         row.after ? QJsonValue(valuesJson(*row.after)) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("failed_fields"), QJsonArray::fromStringList(row.failedFields)},
        {QStringLiteral("recipe_file"), row.run.recipeFile},
        {QStringLiteral("recipe_sha256"), row.run.recipeSha256},
        {QStringLiteral("operator"), row.run.operatorName},
        {QStringLiteral("software"), row.run.software},
        {QStringLiteral("label_checked"), row.labelChecked}};
}

QString historyTable(const QVector<AuditLog::Row> &rows)
{
    std::vector<QStringList> table = {
        {QStringLiteral("RECORDED AT (UTC)"), QStringLiteral("STATION"), QStringLiteral("NUMBER"),
         QStringLiteral("PORT"), QStringLiteral("RESULT"), QStringLiteral("RECIPE"),
         QStringLiteral("OPERATOR"), QStringLiteral("BEFORE"), QStringLiteral("AFTER")}};
    for (const AuditLog::Row &row : rows)
        table.push_back(
            {timeText(RecordRows::recordedAt(row)), row.run.station, QString::number(row.number),
             row.port, row.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL"),
             row.run.recipeFile, row.run.operatorName, ParameterFile::lineOf(row.before),
             row.after ? ParameterFile::lineOf(*row.after) : QString()});
    return TextTable::of(table);
}

QString failedMost(const RecordReport::Line &line)
{
    QStringList parts;
    for (const auto &field : line.failedFields)
        parts.append(QStringLiteral("%1 %2").arg(field.first).arg(field.second));
    if (line.failedUnread > 0)
        parts.append(QStringLiteral("nothing read back %1").arg(line.failedUnread));
    return parts.join(QLatin1String(", "));
}

QString reportTable(const QVector<RecordReport::Line> &lines)
{
    std::vector<QStringList> table = {{QStringLiteral("STATION"), QStringLiteral("DAY (UTC)"),
                                       QStringLiteral("SET UP"), QStringLiteral("PASSED"),
                                       QStringLiteral("FAILED"), QStringLiteral("FAILED MOST")}};
    for (const RecordReport::Line &line : lines)
        table.push_back({line.station, line.day.toString(Qt::ISODate), QString::number(line.setUp),
                         QString::number(line.passed), QString::number(line.failed),
                         failedMost(line)});
    return TextTable::of(table);
}

QString reportJson(const QVector<RecordReport::Line> &lines)
{
    QJsonArray array;
    for (const RecordReport::Line &line : lines) {
        QJsonObject failed;
        for (const auto &field : line.failedFields)
            failed.insert(field.first, field.second);
        array.append(QJsonObject{{QStringLiteral("station"), line.station},
                                 {QStringLiteral("day"), line.day.toString(Qt::ISODate)},
                                 {QStringLiteral("setUp"), line.setUp},
                                 {QStringLiteral("passed"), line.passed},
                                 {QStringLiteral("failed"), line.failed},
                                 {QStringLiteral("failedFields"), failed},
                                 {QStringLiteral("failedNothingReadBack"), line.failedUnread}});
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

// The rows the command line asks for: from the database, or from the logs
// given; nothing, after saying why, when it cannot have them.
std::optional<QVector<AuditLog::Row>> rowsFor(const Invocation &invocation, const QStringList &logs,
                                              const RecordRows::Filter &filter, Console &console,
                                              int *status)
{
    const QString db = RecordCommands::databaseOf(invocation);
    QVector<AuditLog::Row> rows;
    QString problem;
    if (db.isEmpty() && logs.isEmpty()) {
        *status = CommandLine::usageError(console, invocation.command->name,
                                          QStringLiteral("give --db DB, or the logs to read"));
        return std::nullopt;
    }
    const bool read = db.isEmpty() ? RecordRows::fromLogs(logs, filter, &rows, &problem)
                                   : RecordRows::fromDatabase(db, filter, &rows, &problem);
    if (!read) {
        console.message(problem);
        *status = ExitStatus::kDatabase;
        return std::nullopt;
    }
    return rows;
}

int initSchema(const QString &db, Console &console)
{
    const QString name = QStringLiteral("nimbalctl-db");
    QString problem;
    if (!RecordDatabase::open(db, name, &problem)) {
        console.message(problem);
        return ExitStatus::kDatabase;
    }
    int before = 0;
    const bool done = RecordSchema::init(QSqlDatabase::database(name, false), &before, &problem);
    RecordDatabase::close(name);
    if (!done) {
        console.message(QStringLiteral("database %1").arg(RecordDatabase::shown(db)), problem);
        return ExitStatus::kDatabase;
    }
    const int now = RecordSchema::knownVersion();
    console.out(
        before == now ? QStringLiteral("schema version %1: up to date").arg(now)
        : before == 0
            ? QStringLiteral("schema version %1: created").arg(now)
            : QStringLiteral("schema version %1: brought up from version %2").arg(now).arg(before));
    return ExitStatus::kSuccess;
}

int sendJournal(const QString &db, const QString &journal, Console &console)
{
    RecordSender sender(db, journal);
    QEventLoop loop;
    QObject::connect(&sender, &RecordSender::passEnded, &loop, [&] {
        if (sender.isCaughtUp())
            loop.quit();
    });
    sender.start();
    loop.exec();
    if (!sender.problem().isEmpty()) {
        console.message(sender.problem());
        console.message(journal, QStringLiteral("%1 rows wait").arg(sender.waiting()));
        return ExitStatus::kDatabase;
    }
    return ExitStatus::kSuccess;
}

} // namespace

QString RecordCommands::databaseOf(const Invocation &invocation)
{
    return invocation.value("db", qEnvironmentVariable("NIMBAL_DB"));
}

int RecordCommands::db(const Invocation &invocation, Console &console)
{
    const QString action = invocation.arguments.constFirst();
    const QString db = invocation.arguments.size() > 1 && action == QLatin1String("init")
                           ? invocation.arguments.at(1)
                           : databaseOf(invocation);
    if (action == QLatin1String("init") && !db.isEmpty())
        return initSchema(db, console);
    if (action == QLatin1String("send") && !db.isEmpty() && invocation.arguments.size() == 2)
        return sendJournal(db, invocation.arguments.at(1), console);
    return CommandLine::usageError(console, QStringLiteral("db"),
                                   QStringLiteral("usage: nimbalctl db init [DB] | nimbalctl db "
                                                  "send --db DB LOG"));
}

int RecordCommands::history(const Invocation &invocation, Console &console)
{
    RecordRows::Filter filter;
    filter.label = invocation.arguments.constFirst();
    int status = ExitStatus::kSuccess;
    const std::optional<QVector<AuditLog::Row>> rows =
        rowsFor(invocation, invocation.arguments.mid(1), filter, console, &status);
    if (!rows)
        return status;
    if (invocation.isSet("json")) {
        QJsonArray array;
        for (const AuditLog::Row &row : *rows)
            array.append(rowJson(row));
        console.outText(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
    } else if (!rows->isEmpty()) {
        console.outText(historyTable(*rows));
    }
    if (rows->isEmpty())
        console.message(QStringLiteral("label %1").arg(filter.label), QStringLiteral("no row"));
    return rows->isEmpty() ? ExitStatus::kDifferent : ExitStatus::kSuccess;
}

int RecordCommands::report(const Invocation &invocation, Console &console)
{
    RecordRows::Filter filter;
    if (invocation.isSet("since")) {
        filter.since = QDate::fromString(invocation.value("since"), Qt::ISODate);
        if (!filter.since.isValid())
            return CommandLine::usageError(
                console, QStringLiteral("report"),
                QStringLiteral("--since takes a day as YYYY-MM-DD, not '%1'")
                    .arg(invocation.value("since")));
    }
    int status = ExitStatus::kSuccess;
    const std::optional<QVector<AuditLog::Row>> rows =
        rowsFor(invocation, invocation.arguments, filter, console, &status);
    if (!rows)
        return status;
    const QVector<RecordReport::Line> lines = RecordReport::of(*rows);
    console.outText(invocation.isSet("json") ? reportJson(lines) : reportTable(lines));
    return ExitStatus::kSuccess;
}
