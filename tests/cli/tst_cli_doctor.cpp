// nimbalctl doctor against a simulated servo that plays each of the usual
// causes of a servo that does not answer, one row a cause.

#include "programrun.h"
#include "servofixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSerialPort>
#include <QtTest>

#include <functional>

// What a row does to the servo, or to its port, before the doctor looks.
using Cause = std::function<void(ServoSimulator &servo, QSerialPort &other)>;
Q_DECLARE_METATYPE(Cause)

class CliDoctorTest : public ServoFixture
{
    Q_OBJECT

private slots:
    void init() { setUpServo(); }
    void doctorNamesTheCause_data();
    void doctorNamesTheCause();
};

void CliDoctorTest::doctorNamesTheCause_data()
{
    QTest::addColumn<Cause>("cause");
    QTest::addColumn<QString>("port"); // empty: the servo's
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("lastLine"); // a pattern
    QTest::addColumn<QString>("finding");  // the JSON's "finding"; empty: not asked for

    using Fault = ServoSimulator::Fault;
    const auto fault = [](Fault f) {
        return Cause([f](ServoSimulator &servo, QSerialPort &) { servo.setFault(f); });
    };
    QTest::newRow("a servo that answers")
        << Cause([](ServoSimulator &, QSerialPort &) {}) << QString() << 0
        << "^answer: ok, a read answer after [0-9.]+ ms \\(the 3.96 ms its bytes take on the "
           "wire\\)$"
        << QString();
    QTest::newRow("an answer held back")
        << Cause([](ServoSimulator &servo, QSerialPort &) { servo.setAnswerDelay(30); })
        << QString() << 0
        << "^answer: a read answer, but after [0-9.]+ ms, [0-9]+ times the 3.96 ms its bytes "
           "take on the wire: usually the adapter's latency timer"
        << "late";
    QTest::newRow("nothing comes back")
        << Cause([](ServoSimulator &servo, QSerialPort &) { servo.setSilent(true); }) << QString()
        << 4 << "^answer: nothing came back: the servo has no power"
        << "nothing";
    QTest::newRow("only the echo comes back") << Cause([](ServoSimulator &servo, QSerialPort &) {
        servo.setSilent(true);
        servo.setEcho(true);
    }) << QString() << 4 << "^answer: only the request's echo came back: a one-wire"
                                              << QString();
    QTest::newRow("bytes at another speed")
        << fault(Fault::Garbled) << QString() << 4
        << "^answer: bytes came back \\(([0-9A-F]{2} ){15}[0-9A-F]{2}\\), but never a frame: the "
           "wrong speed"
        << "noFrame";
    QTest::newRow("a noisy line") << fault(Fault::BadChecksum) << QString() << 4
                                  << "^answer: frames came back that failed their checksum: a "
                                     "noisy line"
                                  << QString();
    QTest::newRow("answers of the other kind")
        << fault(Fault::OtherKind) << QString() << 4
        << "^answer: only a frame of another kind came back" << QString();
    QTest::newRow("the port lost while it listens")
        << Cause([](ServoSimulator &servo, QSerialPort &) {
               connect(&servo, &ServoSimulator::requestReceived, &servo,
                       [&servo] { servo.vanish(); });
           })
        << QString() << 3 << "^answer: the port was lost while listening: " << QString();
    QTest::newRow("no such port")
        << Cause([](ServoSimulator &, QSerialPort &) {}) << "/dev/nimbal-no-such-port" << 3
        << "^port: /dev/nimbal-no-such-port is not there; the system lists" << QString();
    QTest::newRow("held by another program")
        << Cause([](ServoSimulator &, QSerialPort &other) {
               QVERIFY(other.open(QIODevice::ReadWrite));
           })
        << QString() << 3
        << "^open: cannot open: .*; another program has it open: tst_cli_doctor \\(pid [0-9]+\\)$"
        << QString();
}

void CliDoctorTest::doctorNamesTheCause()
{
    QFETCH(Cause, cause);
    QFETCH(QString, port);
    QFETCH(int, exitCode);
    QFETCH(QString, lastLine);
    QFETCH(QString, finding);
    if (port.isEmpty())
        port = m_port;
    QSerialPort other(port);
    cause(*m_servo, other);
    if (QTest::currentTestFailed())
        return;

    const Run run = nimbalctl({QStringLiteral("doctor"), QStringLiteral("-p"), port});
    VERIFY_RUN(run, exitCode);
    QCOMPARE(run.err, QString());
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(QRegularExpression(lastLine).match(lines.constLast()).hasMatch(), qPrintable(run.out));
    // Every check before the last passed.
    for (const QString &line : lines.mid(0, lines.size() - 1))
        QVERIFY2(line.contains(QLatin1String(": ok")), qPrintable(line));
    if (finding.isEmpty())
        return;
    const Run json =
        nimbalctl({QStringLiteral("doctor"), QStringLiteral("-p"), port, QStringLiteral("--json")});
    VERIFY_RUN(json, exitCode);
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(object.value(QLatin1String("finding")).toString(), finding);
    QCOMPARE(object.value(QLatin1String("status")).toInt(), exitCode);
    QCOMPARE(object.value(QLatin1String("port")).toString(), port);
}

QTEST_GUILESS_MAIN(CliDoctorTest)
#include "tst_cli_doctor.moc"
