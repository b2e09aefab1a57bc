// The line record against a real PostgreSQL server (started by ctest's
// fixture): rows sent from a journal arrive whole and once, wait while the
// server is away, and a station's login may only add and read them. What
// arrived is read with SQL of the test's own.

#include "files/auditlog.h"
#include "parametervalues.h"
#include "postgrestest.h"
#include "recorddatabase.h"
#include "recordschema.h"
#include "recordsender.h"
#include "referenceframe.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kWaitMs = 20000;

// Rows the test writes to a journal, as a lane group would.
AuditLog::Row rowOf(int number, const QString &label, bool passed)
{
    AuditLog::Row row;
    row.time =
        QDateTime(QDate(2026, 12, 9), QTime(9, 0, 0).addSecs(number), Qt::OffsetFromUTC, 3600);
    row.port = QStringLiteral("/dev/ttyUSB1");
    row.number = number;
    row.passed = passed;
    row.before =
        ParameterValues::with(Reference::startValues(), {{Parameter::IntegralSpeed, number}});
    if (passed)
        row.after =
            ParameterValues::with(Reference::startValues(), {{Parameter::NeutralPoint, 1520}});
    row.label = label;
    row.run = {QStringLiteral("station-7"),     QStringLiteral("run-1"),
               QStringLiteral("robot-arm.txt"), QString(64, QLatin1Char('a')),
               QStringLiteral("Anna"),          QStringLiteral("nimbalctl 1.4.0")};
    row.recordedAt = QDateTime(QDate(2026, 12, 9), QTime(8, 0, 0, 125).addSecs(number), Qt::UTC);
    row.labelChecked = label.isEmpty() ? QString() : QStringLiteral("line");
    if (!passed)
        row.failedFields = QStringList{QStringLiteral("NeutralPoint"), QStringLiteral("MAXDuty")};
    return row;
}

bool append(const QString &journal, int first, int last)
{
    AuditLog log;
    QString reason;
    if (!log.open(journal, &reason))
        return false;
    for (int n = first; n <= last; ++n) {
        if (!log.append(rowOf(n, QStringLiteral("SN-%1").arg(n), true), &reason))
            return false;
    }
    return true;
}

// Waits until the sender has told of a pass that left `waiting` rows.
bool waitsFor(RecordSender &sender, int waiting)
{
    QSignalSpy passes(&sender, &RecordSender::passEnded);
    QElapsedTimer clock;
    clock.start();
    while (!(sender.waiting() == waiting && passes.size() > 0) && clock.elapsed() < kWaitMs)
        passes.wait(200);
    return sender.waiting() == waiting;
}

int count(const QString &database, const QString &where = QStringLiteral("true"))
{
    return PostgresTest::query(
               database, QStringLiteral("SELECT count(*) FROM servo_records WHERE %1").arg(where))
        .value(0)
        .value(0)
        .toInt();
}

} // namespace

class TestRecord : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void aRunsRowsArriveWithEveryField();
    void rowsWaitWhileTheServerIsAwayAndArriveOnce();
    void aStationsLoginMayOnlyAddAndRead();
    void theSchemaIsMadeOnceAndANewerOneRefused();

private:
    QTemporaryDir m_dir;
};

void TestRecord::initTestCase()
{
    if (PostgresTest::folder().isEmpty())
        QFAIL("no PostgreSQL server: NIMBAL_TEST_POSTGRES is not set (ctest's fixture sets it)");
}

void TestRecord::aRunsRowsArriveWithEveryField()
{
    const QString db = PostgresTest::freshDatabase(QStringLiteral("record_fields"));
    QVERIFY(PostgresTest::initSchema(db));
    const QString journal = m_dir.filePath(QStringLiteral("fields.csv"));
    {
        AuditLog log;
        QString reason;
        QVERIFY(log.open(journal, &reason));
        QVERIFY(log.append(rowOf(1, QStringLiteral("O'Brien; \"DROP\" {TABLE},x;--\\"), true),
                           &reason));
        QVERIFY(log.append(rowOf(2, QString(), false), &reason));
    }
    RecordSender sender(db, journal);
    sender.start();
    QVERIFY(waitsFor(sender, 0));
    QCOMPARE(sender.problem(), QString());

    const QVector<QStringList> rows = PostgresTest::query(
        QStringLiteral("record_fields"),
        QStringLiteral("SELECT \"station\", \"run\", \"number\", to_char(\"time\" AT TIME ZONE "
                       "'UTC', 'YYYY-MM-DD HH24:MI:SS'), \"port\", \"result\", "
                       "\"before_IntegralSpeed\", \"after_NeutralPoint\", \"after_TorqueGain\", "
                       "\"label\", \"recipe_file\", \"recipe_sha256\", \"operator\", "
                       "\"software\", to_char(\"recorded_at\" AT TIME ZONE 'UTC', "
                       "'YYYY-MM-DD HH24:MI:SS.MS'), \"label_checked\", \"failed_fields\" FROM "
                       "servo_records ORDER BY \"number\""));
    QCOMPARE(rows.size(), 2);
    const QString sha(64, QLatin1Char('a'));
    QCOMPARE(rows.at(0),
             (QStringList{"station-7", "run-1", "1", "2026-12-09 08:00:01", "/dev/ttyUSB1", "PASS",
                          "1", "1520", "0", "O'Brien; \"DROP\" {TABLE},x;--\\", "robot-arm.txt",
                          sha, "Anna", "nimbalctl 1.4.0", "2026-12-09 08:00:01.125", "line", ""}));
    // Nothing was read back from the servo that failed.
    QCOMPARE(rows.at(1),
             (QStringList{"station-7", "run-1", "2", "2026-12-09 08:00:02", "/dev/ttyUSB1", "FAIL",
                          "2", "", "", "", "robot-arm.txt", sha, "Anna", "nimbalctl 1.4.0",
                          "2026-12-09 08:00:02.125", "", "NeutralPoint MAXDuty"}));
    QCOMPARE(count(QStringLiteral("record_fields"), QStringLiteral("\"after_TorqueGain\" IS NULL")),
             1);
}

// The server goes away after ten servos and comes back twenty later: the
// twenty wait, then every row is there once.
void TestRecord::rowsWaitWhileTheServerIsAwayAndArriveOnce()
{
    const QString db = PostgresTest::freshDatabase(QStringLiteral("record_away"));
    QVERIFY(PostgresTest::initSchema(db));
    const QString journal = m_dir.filePath(QStringLiteral("away.csv"));
    QVERIFY(append(journal, 1, 10));
    RecordSender sender(db, journal);
    sender.start();
    QVERIFY(waitsFor(sender, 0));
    QCOMPARE(count(QStringLiteral("record_away")), 10);

    QVERIFY(PostgresTest::server("pause"));
    QVERIFY(append(journal, 11, 30));
    sender.rowsAdded();
    const bool waited = waitsFor(sender, 20);
    const QString problem = sender.problem();
    QVERIFY(PostgresTest::server("resume"));
    QVERIFY(waited);
    QVERIFY2(problem.startsWith(QStringLiteral("database %1: ").arg(db)), qPrintable(problem));

    QVERIFY(waitsFor(sender, 0));
    QCOMPARE(count(QStringLiteral("record_away")), 30);
    QCOMPARE(PostgresTest::query(QStringLiteral("record_away"),
                                 QStringLiteral("SELECT count(DISTINCT \"number\"), "
                                                "min(\"number\"), max(\"number\") FROM "
                                                "servo_records"))
                 .value(0),
             (QStringList{"30", "1", "30"}));
}

// A station's login adds rows and reads them; it cannot change or remove
// one. A wrong password is said, naming the server.
void TestRecord::aStationsLoginMayOnlyAddAndRead()
{
    PostgresTest::freshDatabase(QStringLiteral("record_login"));
    QVERIFY(PostgresTest::initSchema(PostgresTest::connection(QStringLiteral("record_login"))));
    QVERIFY(PostgresTest::createStationLogin(QStringLiteral("station_a"), QStringLiteral("pw-a")));
    const QString asStation =
        PostgresTest::connection(QStringLiteral("record_login"), QStringLiteral("station_a"));
    const QString journal = m_dir.filePath(QStringLiteral("login.csv"));
    QVERIFY(append(journal, 1, 3));

    qputenv("PGPASSFILE", QFile::encodeName(PostgresTest::passwordFile(
                              m_dir.path(), QStringLiteral("station_a"), QStringLiteral("wrong"))));
    QString problem;
    QVERIFY(!RecordDatabase::open(asStation, QStringLiteral("wrong"), &problem));
    RecordDatabase::close(QStringLiteral("wrong"));
    QVERIFY2(problem.startsWith(QStringLiteral("database %1: cannot connect: ").arg(asStation)) &&
                 problem.contains(PostgresTest::folder()) &&
                 problem.contains(QLatin1String("password authentication failed")),
             qPrintable(problem));

    qputenv("PGPASSFILE", QFile::encodeName(PostgresTest::passwordFile(
                              m_dir.path(), QStringLiteral("station_a"), QStringLiteral("pw-a"))));
    {
        RecordSender sender(asStation, journal);
        sender.start();
        QVERIFY(waitsFor(sender, 0));
    }
    QCOMPARE(count(QStringLiteral("record_login")), 3);
    QVERIFY(RecordDatabase::open(asStation, QStringLiteral("station"), &problem));
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("station")));
        QVERIFY(query.exec(QStringLiteral("SELECT count(*) FROM servo_records")));
        for (const char *change :
             {"UPDATE servo_records SET \"result\" = 'PASS'", "DELETE FROM servo_records"}) {
            QVERIFY(!query.exec(QLatin1String(change)));
            QVERIFY2(query.lastError().databaseText().contains(QLatin1String("permission denied")),
                     qPrintable(query.lastError().databaseText()));
        }
    }
    RecordDatabase::close(QStringLiteral("station"));
    qunsetenv("PGPASSFILE");
    QCOMPARE(count(QStringLiteral("record_login")), 3);
}

void TestRecord::theSchemaIsMadeOnceAndANewerOneRefused()
{
    const QString db = PostgresTest::freshDatabase(QStringLiteral("record_schema"));
    QVERIFY(PostgresTest::initSchema(db));
    QVERIFY(PostgresTest::initSchema(db)); // again: up to date
    QCOMPARE(PostgresTest::query(QStringLiteral("record_schema"),
                                 QStringLiteral("SELECT version FROM nimbal_schema")),
             (QVector<QStringList>{{QStringLiteral("1")}}));
    PostgresTest::query(QStringLiteral("record_schema"),
                        QStringLiteral("UPDATE nimbal_schema SET version = 99"));
    QString problem;
    QVERIFY(RecordDatabase::open(db, QStringLiteral("newer"), &problem));
    int before = 0;
    QVERIFY(
        !RecordSchema::init(QSqlDatabase::database(QStringLiteral("newer")), &before, &problem));
    RecordDatabase::close(QStringLiteral("newer"));
    QCOMPARE(problem, QStringLiteral("the database's schema is version 99, newer than the 1 this "
                                     "program knows: use a newer program"));
}

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"
