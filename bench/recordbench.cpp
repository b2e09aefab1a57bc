// The line record against a real PostgreSQL server (started here with the
// tests' tests/record/postgres-server.sh, and stopped after).
//
// 1. 10,000 rows waiting in a journal, sent by the sender, against psql's
//    \copy of the same rows into the same table, the fastest way PostgreSQL
//    takes rows in; target: at most 3 times \copy.
// 2. The time from a servo's verdict to its row being in the database,
//    while eight lanes set servos up (each servo unplugged once set up and
//    plugged in again once its lane has seen it gone); target: median under
//    100 ms. A row is in when the sender has told of the pass that
//    committed it.
//
// usage: nimbal-bench-record [SECONDS]   (default 12, for the second part)

#include "benchsupport.h"
#include "files/auditlog.h"
#include "lane/lanegroup.h"
#include "postgrestest.h"
#include "recorddatabase.h"
#include "recordsender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <vector>

namespace {

constexpr int kRows = 10000;
constexpr int kRounds = 3;

bool writeJournal(const QString &path)
{
    AuditLog log;
    QString reason;
    if (!log.open(path, &reason))
        return false;
    AuditLog::Row row;
    row.port = QStringLiteral("/dev/ttyUSB0");
    row.before = ParameterSet::startValues();
    row.after = ParameterSet::startValues();
    row.passed = true;
    row.run = AuditLog::Run::begin(QStringLiteral("bench"), QStringLiteral("robot-arm.txt"),
                                   ParameterSet::startValues(), QStringLiteral("Anna"),
                                   QStringLiteral("nimbal-bench-record"));
    row.labelChecked = QStringLiteral("line");
    for (int n = 1; n <= kRows; ++n) {
        row.number = n;
        row.time = QDateTime::currentDateTime();
        row.recordedAt = QDateTime::currentDateTimeUtc();
        row.label = QStringLiteral("SN-%1").arg(n);
        if (!log.append(row, &reason))
            return false;
    }
    return true;
}

// psql's \copy of the journal into the table; its milliseconds, -1 on failure.
double copyMs(const QString &folder, const QString &journal)
{
    QStringList textColumns;
    for (const QString &name : AuditLog::header()) {
        if (name.startsWith(QLatin1String("label")) || name == QLatin1String("port") ||
            name.startsWith(QLatin1String("recipe")) || name == QLatin1String("operator") ||
            name == QLatin1String("software") || name == QLatin1String("failed_fields") ||
            name == QLatin1String("station") || name == QLatin1String("run"))
            textColumns.append(RecordDatabase::quoted(name));
    }
    QStringList columns;
    for (const QString &name : AuditLog::header())
        columns.append(RecordDatabase::quoted(name));
    const QString copy =
        QStringLiteral("\\copy servo_records (%1) FROM '%2' WITH (FORMAT csv, "
                       "HEADER true, FORCE_NOT_NULL (%3))")
            .arg(columns.join(QLatin1Char(',')), journal, textColumns.join(QLatin1Char(',')));
    QElapsedTimer clock;
    clock.start();
    const int status = QProcess::execute(
        QStringLiteral("psql"),
        {QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
         QStringLiteral("-h"), folder + QStringLiteral("/socket"), QStringLiteral("-p"),
         QStringLiteral("5439"), QStringLiteral("-U"), QStringLiteral("nimbal_admin"),
         QStringLiteral("-d"), QStringLiteral("bench"), QStringLiteral("-c"), copy});
    return status == 0 ? double(clock.nsecsElapsed()) / 1e6 : -1;
}

// The sender's time to send every row of the journal, from a fresh place.
double senderMs(const QString &connection, const QString &journal)
{
    QFile::remove(RecordSender::placeOf(journal));
    RecordSender sender(connection, journal);
    QEventLoop loop;
    QObject::connect(&sender, &RecordSender::passEnded, &loop, [&] {
        if (sender.isCaughtUp())
            loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    sender.start();
    loop.exec();
    return sender.waiting() == 0 && sender.problem().isEmpty() ? double(clock.nsecsElapsed()) / 1e6
                                                               : -1;
}

void truncate()
{
    PostgresTest::query(QStringLiteral("bench"), QStringLiteral("TRUNCATE servo_records"));
}

// Verdict to row, with eight lanes running for `seconds`.
std::vector<double> verdictToRowMs(const QString &connection, const QString &log, int seconds)
{
    Bench::ServoThread servos(LaneGroup::kMostLanes, true);
    LaneGroup::Settings settings;
    settings.ports = servos.ports();
    settings.wanted = ParameterSet::startValues();
    settings.run = AuditLog::Run::begin(QStringLiteral("bench-lanes"), QStringLiteral("x.txt"),
                                        settings.wanted, QString(), QStringLiteral("bench"));
    LaneGroup group(settings);
    QString reason;
    if (!group.openLog(log, &reason))
        return {};
    RecordSender sender(connection, log);
    QObject::connect(&group, &LaneGroup::servoDone, &sender, &RecordSender::rowsAdded);
    for (int i = 0; i < group.lanes().size(); ++i) {
        QObject::connect(group.lanes().at(i), &Lane::stateChanged, &group,
                         [&servos, i](Lane::State state) {
                             servos.plug(i, state != Lane::State::WaitingUntilGone);
                         });
    }
    std::vector<qint64> told; // each verdict not yet in, the time it was told
    std::vector<double> latencies;
    QObject::connect(&group, &LaneGroup::servoDone, &group,
                     [&] { told.push_back(Bench::monotonicNs()); });
    QObject::connect(&sender, &RecordSender::statusChanged, &group, [&](int waiting) {
        // The oldest verdicts are in; `waiting` newer ones are not.
        const qint64 now = Bench::monotonicNs();
        while (int(told.size()) > waiting) {
            latencies.push_back(double(now - told.front()) / 1e6);
            told.erase(told.begin());
        }
    });
    sender.start();
    QEventLoop loop;
    QObject::connect(&group, &LaneGroup::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(seconds * 1000, &group, &LaneGroup::stop);
    group.start();
    loop.exec();
    return latencies;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int seconds = argc > 1 ? qMax(4, std::atoi(argv[1])) : 12;
    QTemporaryDir work;
    QTemporaryDir folder(QStringLiteral("/tmp/nimbal-pg-bench-XXXXXX"));
    qputenv("NIMBAL_TEST_POSTGRES", QFile::encodeName(folder.path()));
    if (!PostgresTest::server("start", folder.path())) {
        out << "error: no PostgreSQL server" << Qt::endl;
        return 1;
    }
    const QString connection = PostgresTest::freshDatabase(QStringLiteral("bench"));
    const QString journal = work.filePath(QStringLiteral("journal.csv"));
    if (!PostgresTest::initSchema(connection) || !writeJournal(journal)) {
        out << "error: no schema or no journal" << Qt::endl;
        PostgresTest::server("stop", folder.path());
        return 1;
    }
    std::vector<double> copies, sends;
    for (int round = 0; round < kRounds; ++round) {
        truncate();
        copies.push_back(copyMs(folder.path(), journal));
        truncate();
        sends.push_back(senderMs(connection, journal));
    }
    const double copy = Bench::percentile(copies, 0.5);
    const double send = Bench::percentile(sends, 0.5);
    out << "record_rows: " << kRows << '\n';
    out << "record_copy_ms: " << Bench::figure(copy) << '\n';
    out << "record_send_ms: " << Bench::figure(send) << '\n';
    out << "record_send_vs_copy: " << Bench::figure(send / copy) << " (target <= 3)" << Qt::endl;

    truncate();
    const std::vector<double> latencies =
        verdictToRowMs(connection, work.filePath(QStringLiteral("lanes.csv")), seconds);
    PostgresTest::server("stop", folder.path());
    if (latencies.empty()) {
        out << "error: no verdict reached the database" << Qt::endl;
        return 1;
    }
    out << "record_lanes: " << LaneGroup::kMostLanes << '\n';
    out << "record_verdicts: " << latencies.size() << '\n';
    out << "record_verdict_to_row_median_ms: " << Bench::figure(Bench::percentile(latencies, 0.5))
        << " (target < 100)\n";
    out << "record_verdict_to_row_p90_ms: " << Bench::figure(Bench::percentile(latencies, 0.9))
        << Qt::endl;
    return 0;
}
