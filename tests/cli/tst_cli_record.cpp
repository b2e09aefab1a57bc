// nimbalctl and the line record, as processes, against the tests' real
// PostgreSQL server: a sender killed in the middle of a batch, two
// stations given one label, a wrong password, and history and report of a
// known record. What arrived is read with SQL of the test's own.

#include "postgrestest.h"
#include "programrun.h"
#include "servofixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

namespace {

constexpr int kWaitMs = 20000;

int count(const QString &database)
{
    return PostgresTest::query(database, QStringLiteral("SELECT count(*) FROM servo_records"))
        .value(0)
        .value(0)
        .toInt();
}

// A fresh database with the record's schema, as nimbalctl makes it.
QString recordDatabase(const QString &name)
{
    const QString db = PostgresTest::freshDatabase(name);
    const Run run = nimbalctl({QStringLiteral("db"), QStringLiteral("init"), db});
    return run.exitCode == 0 && run.out == QLatin1String("schema version 1: created\n") ? db
                                                                                      : QString();
}

} // namespace

class CliRecordTest : public ServoFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { setUpServo(); }
    void aSenderKilledInABatchLosesNoRowAndSendsNoneTwice();
    void aLabelPassedOnOneStationIsRefusedOnTheNext();
    void aWrongPasswordIsSaidAndTheLogStillWritten();
    void historyAndReportOfAKnownRecord();
};

void CliRecordTest::initTestCase()
{
    if (PostgresTest::folder().isEmpty())
        QFAIL("no PostgreSQL server: NIMBAL_TEST_POSTGRES is not set (ctest's fixture sets it)");
}

// Five thousand rows wait; the sender is killed once some have gone, and
// started again: every row is there, once.
void CliRecordTest::aSenderKilledInABatchLosesNoRowAndSendsNoneTwice()
{
    const QString db = recordDatabase(QStringLiteral("cli_killed"));
    QVERIFY(!db.isEmpty());
    const QStringList rows = QString::fromUtf8(readAll(dataPath(QStringLiteral("record-rows.csv"))))
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QByteArray journal = rows.first().toUtf8() + '\n';
    constexpr int kRows = 5000;
    for (int n = 1; n <= kRows; ++n) {
        QStringList fields = rows.at(1).split(QLatin1Char(','));
        fields[2] = QString::number(n);
        journal += fields.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    const QString log = writeFile(m_dir, QStringLiteral("killed.csv"), journal);

    QProcess sender;
    sender.start(QStringLiteral(NIMBALCTL),
                 {QStringLiteral("db"), QStringLiteral("send"), QStringLiteral("--db"), db, log});
    QVERIFY(sender.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(count(QStringLiteral("cli_killed")) > 0, kWaitMs);
    ::kill(pid_t(sender.processId()), SIGKILL);
    QVERIFY(sender.waitForFinished());
    const int before = count(QStringLiteral("cli_killed"));
    QVERIFY2(before < kRows, "the sender ended before it could be killed");

    const Run again = nimbalctl({QStringLiteral("db"), QStringLiteral("send"),
                                 QStringLiteral("--db"), db, log});
    VERIFY_RUN(again, 0);
    QCOMPARE(PostgresTest::query(QStringLiteral("cli_killed"),
                                 QStringLiteral("SELECT count(*), count(DISTINCT \"number\") FROM "
                                                "servo_records"))
                 .value(0),
             (QStringList{QString::number(kRows), QString::number(kRows)}));
}

// Two stations on one database: the second is given the label the first
// has passed, refuses it, and takes the next line.
void CliRecordTest::aLabelPassedOnOneStationIsRefusedOnTheNext()
{
    const QString db = recordDatabase(QStringLiteral("cli_stations"));
    QVERIFY(!db.isEmpty());
    ServoSimulator other;
    const auto station = [&](const char *name, const QString &port, const QByteArray &labels) {
        Launch launch;
        launch.standardInput = labels;
        return nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), port,
                          QStringLiteral("--labels"), QStringLiteral("--count"), QStringLiteral("1"),
                          QStringLiteral("--db"), db, QStringLiteral("--station"),
                          QLatin1String(name), QStringLiteral("--log"),
                          m_dir.filePath(QLatin1String(name) + QStringLiteral(".csv")),
                          dataPath(kWanted)},
                         launch);
    };
    const Run first = station("line-a", m_port, "SN-7\n");
    VERIFY_RUN(first, 0);
    const Run second = station("line-b", other.slavePath(), "SN-7\nSN-8\n");
    VERIFY_RUN(second, 0);
    QVERIFY2(second.err.contains(QStringLiteral("nimbalctl: label SN-7: refused: label SN-7 has "
                                                "passed already on line-a\n")),
             qPrintable(second.err));
    QCOMPARE(PostgresTest::query(QStringLiteral("cli_stations"),
                                 QStringLiteral("SELECT \"station\", \"label\", \"label_checked\" "
                                                "FROM servo_records ORDER BY \"station\"")),
             (QVector<QStringList>{{"line-a", "SN-7", "line"}, {"line-b", "SN-8", "line"}}));
}

// A station's login with a wrong password: the one line that says so, and
// the servo set up and in the log all the same.
void CliRecordTest::aWrongPasswordIsSaidAndTheLogStillWritten()
{
    PostgresTest::freshDatabase(QStringLiteral("cli_password"));
    QVERIFY(!recordDatabase(QStringLiteral("cli_password")).isEmpty());
    QVERIFY(PostgresTest::createStationLogin(QStringLiteral("station_b"), QStringLiteral("pw-b")));
    const QString db =
        PostgresTest::connection(QStringLiteral("cli_password"), QStringLiteral("station_b"));
    const QString log = m_dir.filePath(QStringLiteral("password.csv"));
    Launch launch;
    launch.environment.append(QStringLiteral("PGPASSFILE=") +
                              PostgresTest::passwordFile(m_dir.path(), QStringLiteral("station_b"),
                                                         QStringLiteral("not-pw-b")));
    const Run run = nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port,
                               QStringLiteral("--count"), QStringLiteral("1"),
                               QStringLiteral("--db"), db, QStringLiteral("--log"), log,
                               dataPath(kWanted)},
                              launch);
    VERIFY_RUN(run, 0);
    const QRegularExpression said(
        QStringLiteral("^nimbalctl: database %1: cannot connect: connection to server on socket "
                       "\"%2/socket/.s.PGSQL.5439\" failed: FATAL: password authentication "
                       "failed for user \"station_b\"")
            .arg(QRegularExpression::escape(db), QRegularExpression::escape(PostgresTest::folder())),
        QRegularExpression::MultilineOption);
    QVERIFY2(said.match(run.err).hasMatch(), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("nimbalctl: %1: 1 rows wait for the database").arg(log)),
             qPrintable(run.err));
    QCOMPARE(QString::fromUtf8(readAll(log)).count(QLatin1String(",PASS,")), 1);
    QCOMPARE(count(QStringLiteral("cli_password")), 0);
}

// The same answers from the database and from the log the rows came from.
void CliRecordTest::historyAndReportOfAKnownRecord()
{
    const QString db = recordDatabase(QStringLiteral("cli_history"));
    QVERIFY(!db.isEmpty());
    const QString rows = dataPath(QStringLiteral("record-rows.csv"));
    const QString log = writeFile(m_dir, QStringLiteral("history.csv"), readAll(rows));
    VERIFY_RUN(nimbalctl({QStringLiteral("db"), QStringLiteral("send"), QStringLiteral("--db"),
                          db, log}),
               0);
    const QString history = QString::fromUtf8(readAll(dataPath(QStringLiteral("record-history-SN-7.txt"))));
    const QString report = QString::fromUtf8(readAll(dataPath(QStringLiteral("record-report.txt"))));
    for (const QStringList &source : {QStringList{QStringLiteral("--db"), db}, QStringList{rows}}) {
        const Run shown = nimbalctl(QStringList{QStringLiteral("history"), QStringLiteral("SN-7")} + source);
        VERIFY_RUN(shown, 0);
        QCOMPARE(shown.out, history);
        const Run reported = nimbalctl(QStringList{QStringLiteral("report")} + source);
        VERIFY_RUN(reported, 0);
        QCOMPARE(reported.out, report);
    }
    const Run none = nimbalctl({QStringLiteral("history"), QStringLiteral("SN-404"),
                                QStringLiteral("--db"), db});
    VERIFY_RUN(none, 1);
    const Run since = nimbalctl({QStringLiteral("report"), QStringLiteral("--since"),
                                 QStringLiteral("2026-12-09"), QStringLiteral("--json"),
                                 QStringLiteral("--db"), db});
    VERIFY_RUN(since, 0);
    QCOMPARE(since.out.count(QLatin1String("\"day\": \"2026-12-09\"")), 2);
    QCOMPARE(since.out.count(QLatin1String("\"day\"")), 2);
}

QTEST_GUILESS_MAIN(CliRecordTest)
#include "tst_cli_record.moc"
