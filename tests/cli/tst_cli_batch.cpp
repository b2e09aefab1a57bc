// The real nimbalctl, as a process, against a simulated servo that this
// test plays (see servofixture.h), in a batch: servo after servo, the exit
// status, and the log.

#include "mount.h"
#include "programrun.h"
#include "referenceframe.h"
#include "referenceline.h"
#include "servofixture.h"
#include "specialfiles.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <QFile>

#include <functional>
#include <memory>
#include <unistd.h>

// What becomes of the servo beyond being plugged in and out.
using ServoSetUp = std::function<void(ServoSimulator &servo)>;
Q_DECLARE_METATYPE(ServoSetUp)

class CliBatchTest : public ServoFixture
{
    Q_OBJECT

private slots:
    void init() { setUpServo(); }

    void batchSetsUpServoAfterServo();
    void batchExitStatus_data();
    void batchExitStatus();
    void batchLogRowsWholeOrAbsent_data();
    void batchLogRowsWholeOrAbsent();
    void batchLogOnAFullDiskKeepsWholeRows();
    void batchOnTwoPortsNamesEachServosPort();
    void logThatIsTheParameterFileIsRefused_data();
    void logThatIsTheParameterFileIsRefused();
    void labelsFromStandardInputGoToTheServosInTurn();
};

// Three servos plugged in and out in turn; the second one keeps its own
// Neutral Point whatever it is told.
void CliBatchTest::batchSetsUpServoAfterServo()
{
    const QString file = dataPath(kWanted);
    const QString log = m_dir.filePath(QStringLiteral("batch.csv"));
    ParameterSet original[3];
    for (int i = 0; i < 3; ++i) {
        original[i] = ServoSimulator::startValues();
        original[i].setValue(Parameter::IntegralSpeed, 10 + i);
    }
    m_servo->setSilent(true);
    int plugged = 0;
    QList<int> rowsWhenDone;
    const QRegularExpression waiting(QStringLiteral(": waiting for servo (\\d)$"));
    const QRegularExpression done(QStringLiteral(": servo (\\d) done: unplug it$"));
    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port, QStringLiteral("--log"),
                   log, QStringLiteral("--count"), QStringLiteral("3"), file},
                  {[&](const QString &line, QProcess &) {
                      if (waiting.match(line).hasMatch()) {
                          m_servo->clearForcedValues();
                          if (plugged == 1)
                              m_servo->forceStoredValue(Parameter::NeutralPoint, 1500);
                          m_servo->setValues(original[plugged++]);
                          m_servo->setSilent(false);
                      } else if (done.match(line).hasMatch()) {
                          m_servo->setSilent(true);
                          // The servo's row is in the file by now.
                          rowsWhenDone.append(int(readAll(log).count('\n')));
                      }
                  }});
    VERIFY_RUN(run, 1);
    QCOMPARE(plugged, 3);
    QCOMPARE(rowsWhenDone, (QList<int>{2, 3}));

    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    const QString time = QStringLiteral("\\d\\d:\\d\\d:\\d\\d");
    QVERIFY2(
        QRegularExpression(QStringLiteral("^1 %1 PASS$").arg(time)).match(lines.at(0)).hasMatch(),
        qPrintable(lines.at(0)));
    QVERIFY2(QRegularExpression(
                 QStringLiteral("^2 %1 FAIL Neutral Point: wanted 1520, servo 1500$").arg(time))
                 .match(lines.at(1))
                 .hasMatch(),
             qPrintable(lines.at(1)));
    QVERIFY2(
        QRegularExpression(QStringLiteral("^3 %1 PASS$").arg(time)).match(lines.at(2)).hasMatch(),
        qPrintable(lines.at(2)));
    QCOMPARE(lines.at(3), QStringLiteral("3 servos: 2 passed, 1 failed"));

    QFile csv(log);
    QVERIFY(csv.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList rows =
        QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 4);
    QVERIFY(rows.at(0).startsWith(QStringLiteral("time,port,number,result,before_TorqueGain,")));
    // The label comes last, so the columns before read as they always have.
    QVERIFY(rows.at(0).contains(QStringLiteral(",after_LOCKProtection,label,")));
    for (int i = 0; i < 3; ++i) {
        QStringList fields = rows.at(i + 1).split(QLatin1Char(','));
        QCOMPARE(fields.size(), 4 + 2 * int(kParameterCount) + 10);
        QCOMPARE(fields.at(4 + 2 * int(kParameterCount)), QString()); // no label
        fields = fields.mid(0, 4 + 2 * int(kParameterCount));
        QVERIFY2(QDateTime::fromString(fields.at(0), Qt::ISODate).isValid(),
                 qPrintable(fields.at(0)));
        QCOMPARE(fields.at(1), m_port);
        QCOMPARE(fields.at(2), QString::number(i + 1));
        QCOMPARE(fields.at(3), i == 1 ? QStringLiteral("FAIL") : QStringLiteral("PASS"));
        ParameterSet after = wanted();
        if (i == 1)
            after.setValue(Parameter::NeutralPoint, 1500);
        QCOMPARE(fields.mid(4, int(kParameterCount)).join(QLatin1Char(',')),
                 ReferenceLine::of(original[i]));
        QCOMPARE(fields.mid(4 + int(kParameterCount)).join(QLatin1Char(',')),
                 ReferenceLine::of(after));
    }
}

void CliBatchTest::batchExitStatus_data()
{
    QTest::addColumn<ServoSetUp>("servoSetUp");
    QTest::addColumn<QString>("count"); // empty: until stopped
    QTest::addColumn<int>(
        "stopAfter"); // servos set up before SIGTERM; -1: when the adapter is gone
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("results"); // each servo's, after its number and time
    QTest::addColumn<QString>("summary");

    const ServoSetUp asPlugged = [](ServoSimulator &) {
    };
    const QStringList none;
    const QStringList passed{" PASS"};
    QTest::newRow("no count, stopped before any")
        << asPlugged << QString() << 0 << 0 << none << "0 servos: 0 passed, 0 failed";
    QTest::newRow("no count, stopped after one")
        << asPlugged << QString() << 1 << 0 << passed << "1 servo: 1 passed, 0 failed";
    QTest::newRow("count 3, stopped before any")
        << asPlugged << "3" << 0 << 5 << none << "0 servos: 0 passed, 0 failed";
    QTest::newRow("count 3, stopped after one")
        << asPlugged << "3" << 1 << 5 << passed << "1 servo: 1 passed, 0 failed";
    QTest::newRow("port lost during the write") << ServoSetUp([](ServoSimulator &servo) {
        connect(&servo, &ServoSimulator::requestReceived, &servo,
                [&servo](const QByteArray &request) {
                    if (Reference::flagsOf(request) & Reference::kWriteRequest)
                        servo.vanish();
                });
    }) << "3" << -1 << 3 << QStringList{" FAIL port lost during the write"}
                                                << "1 servo: 0 passed, 1 failed";
}

// The summary comes last, and the status says whether the batch did all it
// was asked.
void CliBatchTest::batchExitStatus()
{
    QFETCH(ServoSetUp, servoSetUp);
    QFETCH(QString, count);
    QFETCH(int, stopAfter);
    QFETCH(int, exitCode);
    QFETCH(QStringList, results);
    QFETCH(QString, summary);
    const QString file = dataPath(kWanted);
    servoSetUp(*m_servo);
    QStringList arguments = {QStringLiteral("batch"), QStringLiteral("-p"), m_port, file};
    if (!count.isEmpty())
        arguments << QStringLiteral("--count") << count;
    // Servo after servo is plugged in, until the one before which the
    // batch is stopped.
    m_servo->setSilent(true);
    const QRegularExpression waiting(QStringLiteral(": waiting for servo (\\d)$"));
    const Run run = nimbalctl(arguments, {[&](const QString &line, QProcess &process) {
                                  const QRegularExpressionMatch match = waiting.match(line);
                                  if (match.hasMatch() && stopAfter >= 0 &&
                                      match.captured(1).toInt() > stopAfter)
                                      process.terminate();
                                  else if (match.hasMatch())
                                      m_servo->setSilent(false);
                                  else if (line.endsWith(QLatin1String(": unplug it")))
                                      m_servo->setSilent(true);
                                  else if (line.contains(QLatin1String(": adapter gone: ")))
                                      process.terminate();
                              }});
    VERIFY_RUN(run, exitCode);
    QVERIFY2(run.out.endsWith(summary + QLatin1Char('\n')), qPrintable(run.out));
    QStringList shown = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    shown.removeLast();
    shown.replaceInStrings(QRegularExpression(QStringLiteral("^\\d+ \\d\\d:\\d\\d:\\d\\d")),
                           QString());
    QCOMPARE(shown, results);
}

void CliBatchTest::batchLogRowsWholeOrAbsent_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // empty: none
    QTest::addColumn<int>("requests");    // that reach the servo
    // A log that cannot take its header: no servo is touched.
    QTest::newRow("/dev/full") << "/dev/full" << 2 << "cannot append: No space left on device" << 0;
    // Probe, write and read back.
    QTest::newRow("/dev/null") << "/dev/null" << 0 << QString() << 3;
}

void CliBatchTest::batchLogRowsWholeOrAbsent()
{
    QFETCH(QString, log);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(int, requests);
    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port, QStringLiteral("--count"),
                   QStringLiteral("1"), QStringLiteral("--log"), log, dataPath(kWanted)});
    VERIFY_RUN(run, exitCode);
    QVERIFY2(onlyOwnLines(run.err), qPrintable(run.err));
    if (!message.isEmpty())
        QVERIFY2(run.err.contains(QStringLiteral("nimbalctl: %1: %2\n").arg(log, message)),
                 qPrintable(run.err));
    drain();
    QCOMPARE(m_servo->receivedBytes().size(), 20 * requests);
}

// A row the disk takes only in part is taken back: the log holds whole
// rows only, and the servo's result stands.
void CliBatchTest::batchLogOnAFullDiskKeepsWholeRows()
{
    if (!SpecialFiles::isRoot())
        QSKIP("needs root to mount a small disk");
    const QString folder = m_dir.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(folder));
    const std::unique_ptr<Mount> disk = Mount::smallDisk(folder);
    if (!disk->isMounted())
        QSKIP("cannot mount a small disk here");
    // Rows that end 16 bytes short of a page of the disk (which takes whole
    // pages): the first 16 bytes of the next row fit, the rest would need a
    // page that the full disk has not.
    const QByteArray earlierRows = QByteArray(4079, 'x') + '\n';
    const QString log = writeFile(m_dir, QStringLiteral("disk/servos.csv"), earlierRows);
    SpecialFiles::fill(folder);
    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port, QStringLiteral("--count"),
                   QStringLiteral("1"), QStringLiteral("--log"), log, dataPath(kWanted)});
    VERIFY_RUN(run, 2);
    QVERIFY2(onlyOwnLines(run.err), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("nimbalctl: %1: cannot append: No space left on "
                                             "device\n")
                                  .arg(log)),
             qPrintable(run.err));
    QCOMPARE(readAll(log), earlierRows);
    QVERIFY2(run.out.endsWith(QLatin1String(" PASS\n1 servo: 1 passed, 0 failed\n")),
             qPrintable(run.out));
}

// Two lanes at once, counted together; with several ports each result line
// names its servo's port.
void CliBatchTest::batchOnTwoPortsNamesEachServosPort()
{
    ServoSimulator other;
    const Run run = nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port,
                               QStringLiteral("-p"), other.slavePath(), QStringLiteral("--count"),
                               QStringLiteral("2"), dataPath(kWanted)});
    VERIFY_RUN(run, 0);
    QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.takeLast(), QStringLiteral("2 servos: 2 passed, 0 failed"));
    lines.replaceInStrings(QRegularExpression(QStringLiteral("^\\d \\d\\d:\\d\\d:\\d\\d ")),
                           QString());
    lines.sort();
    QStringList expected = {m_port + QStringLiteral(" PASS"),
                            other.slavePath() + QStringLiteral(" PASS")};
    expected.sort();
    QCOMPARE(lines, expected);
    QVERIFY(m_servo->values() == wanted() && other.values() == wanted());
}

void CliBatchTest::logThatIsTheParameterFileIsRefused_data()
{
    QTest::addColumn<QString>("logName"); // in the folder of the file
    QTest::newRow("the same name") << "servo.txt";
    QTest::newRow("another name for it") << "./sub/../servo.txt";
    QTest::newRow("a link to it") << "link.txt";
    QTest::newRow("a hard link to it") << "hard.txt";
}

// "--log F F" as a slip of the hand: refused before anything is sent, and
// the parameter file keeps its bytes.
void CliBatchTest::logThatIsTheParameterFileIsRefused()
{
    QFETCH(QString, logName);
    const QByteArray line = dataLine(kWanted);
    const QString file = writeFile(m_dir, QStringLiteral("servo.txt"), line);
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
    QFile::remove(m_dir.filePath(QStringLiteral("link.txt")));
    QVERIFY(QFile::link(file, m_dir.filePath(QStringLiteral("link.txt"))));
    ::unlink(QFile::encodeName(m_dir.filePath(QStringLiteral("hard.txt"))).constData());
    QVERIFY(::link(QFile::encodeName(file).constData(),
                   QFile::encodeName(m_dir.filePath(QStringLiteral("hard.txt"))).constData()) == 0);
    const QString log = m_dir.filePath(logName);

    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port, QStringLiteral("--count"),
                   QStringLiteral("1"), QStringLiteral("--log"), log, file});
    VERIFY_RUN(run, 2);
    QCOMPARE(run.err, QStringLiteral("nimbalctl: %1: is the parameter file %2: the log goes to "
                                     "another file\n")
                          .arg(log, file));
    QCOMPARE(readAll(file), line);
    drain();
    QCOMPARE(m_servo->receivedBytes(), QByteArray());
}

// --labels: a line of standard input for each servo, in the order they are
// found; a refused one is said and the next line read.
void CliBatchTest::labelsFromStandardInputGoToTheServosInTurn()
{
    const QString log = m_dir.filePath(QStringLiteral("labels.csv"));
    m_servo->setSilent(true);
    Launch launch;
    launch.standardInput = "=1+1\nSN-1\nSN-2\n";
    int plugged = 0;
    launch.onErrorLine = [&](const QString &line, QProcess &) {
        if (line.contains(QLatin1String(": waiting for servo "))) {
            m_servo->setValues(ServoSimulator::startValues());
            m_servo->setSilent(false);
            ++plugged;
        } else if (line.endsWith(QLatin1String(": unplug it"))) {
            m_servo->setSilent(true);
        }
    };
    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port,
                   QStringLiteral("--labels"), QStringLiteral("--count"), QStringLiteral("2"),
                   QStringLiteral("--log"), log, dataPath(kWanted)},
                  launch);
    VERIFY_RUN(run, 0);
    QCOMPARE(plugged, 2);
    QVERIFY2(run.err.contains(QStringLiteral("nimbalctl: label =1+1: refused: the label begins "
                                             "with '=': a spreadsheet would take it for a "
                                             "formula\n")),
             qPrintable(run.err));
    const QStringList rows = QString::fromUtf8(readAll(log)).split(QLatin1Char('\n')).mid(1, 2);
    QCOMPARE(rows.size(), 2);
    QVERIFY2(rows.at(0).split(QLatin1Char(',')).value(32) == QLatin1String("SN-1") &&
                 rows.at(1).split(QLatin1Char(',')).value(32) == QLatin1String("SN-2"),
             qPrintable(rows.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(CliBatchTest)
#include "tst_cli_batch.moc"
