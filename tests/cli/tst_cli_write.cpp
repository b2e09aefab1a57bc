// The real nimbalctl, as a process, against a simulated servo that this
// test plays (see servofixture.h), writing: verification, a servo that keeps
// a value of its own, set by name, and diff between files and the servo.

#include "programrun.h"
#include "referenceframe.h"
#include "servofixture.h"

#include <QtTest>

class CliWriteTest : public ServoFixture
{
    Q_OBJECT

private slots:
    void init() { setUpServo(); }

    void writeVerifies_data();
    void writeVerifies();
    void storedValueDifferingIsAMismatch_data();
    void storedValueDifferingIsAMismatch();
    void setStartsFromTheValuesAsShown();
    void setChangesNamedParameters();
    void setRefusesBadNamesAndValues_data();
    void setRefusesBadNamesAndValues();
    void diffComparesFilesAndServo();
};

void CliWriteTest::writeVerifies_data()
{
    QTest::addColumn<bool>("verify");
    QTest::newRow("verified") << true;
    QTest::newRow("--no-verify") << false;
}

void CliWriteTest::writeVerifies()
{
    QFETCH(bool, verify);
    const QString file = dataPath(kWanted);
    QStringList arguments = {QStringLiteral("write"), QStringLiteral("-p"), m_port, file};
    if (!verify)
        arguments.insert(1, QStringLiteral("--no-verify"));
    const Run run = nimbalctl(arguments);
    VERIFY_RUN(run, 0);
    QVERIFY(m_servo->values() == wanted());
    QByteArray expected = Reference::encode(wanted(), Reference::kWriteRequest);
    if (verify)
        expected += readRequest();
    QCOMPARE(m_servo->receivedBytes(), expected);
}

void CliWriteTest::storedValueDifferingIsAMismatch_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("difference");
    // The first field, one in the middle, and the last.
    QTest::newRow("Torque Gain") << int(Parameter::TorqueGain) << 41
                                 << "Torque Gain: wanted 40, servo 41";
    QTest::newRow("Neutral Point")
        << int(Parameter::NeutralPoint) << 1500 << "Neutral Point: wanted 1520, servo 1500";
    QTest::newRow("LOCK Protection")
        << int(Parameter::LOCKProtection) << 1 << "LOCK Protection: wanted off, servo on";
}

void CliWriteTest::storedValueDifferingIsAMismatch()
{
    QFETCH(int, field);
    QFETCH(int, stored);
    QFETCH(QString, difference);
    m_servo->forceStoredValue(Parameter(field), stored);
    const QString file = dataPath(kWanted);
    const Run run = nimbalctl({QStringLiteral("write"), QStringLiteral("-p"), m_port, file});
    VERIFY_RUN(run, 1);
    QCOMPARE(run.out, difference + QLatin1Char('\n'));
    QVERIFY2(run.err.contains(m_port + QStringLiteral(": verification failed: 1 of 14 values "
                                                      "differ")),
             qPrintable(run.err));
}

// A servo that holds a value outside its range gets it back as the window
// would write it after Read: at the nearer end of the range.
void CliWriteTest::setStartsFromTheValuesAsShown()
{
    ParameterSet held = ServoSimulator::startValues();
    held.setValue(Parameter::Sensitivity, 200);
    m_servo->setValues(held);
    const Run run = nimbalctl(
        {QStringLiteral("set"), QStringLiteral("-p"), m_port, QStringLiteral("TorqueGain=7")});
    VERIFY_RUN(run, 0);
    QCOMPARE(m_servo->values().value(Parameter::Sensitivity), 50);
    QCOMPARE(m_servo->values().value(Parameter::TorqueGain), 7);
}

void CliWriteTest::setChangesNamedParameters()
{
    const Run run =
        nimbalctl({QStringLiteral("set"), QStringLiteral("-p"), m_port,
                   QStringLiteral("neutral-point=1600"), QStringLiteral("Soft Start=off"),
                   QStringLiteral("torque_gain=7"), QStringLiteral("LOCKPROTECTION=true")});
    VERIFY_RUN(run, 0);
    ParameterSet expected = ServoSimulator::startValues();
    expected.setValue(Parameter::NeutralPoint, 1600);
    expected.setValue(Parameter::SoftStart, 0);
    expected.setValue(Parameter::TorqueGain, 7);
    expected.setValue(Parameter::LOCKProtection, 1);
    QVERIFY(m_servo->values() == expected);
    // Read, write, read back.
    QCOMPARE(m_servo->requestsSeen(), 3);
}

void CliWriteTest::setRefusesBadNamesAndValues_data()
{
    QTest::addColumn<QString>("assignment"); // several are parted by '|'
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown name") << "Speed=3"
                                  << "no parameter is called 'Speed'\n";
    QTest::newRow("a slip of the hand")
        << "Nuetral-Point=1500"
        << "no parameter is called 'Nuetral-Point'; did you mean NeutralPoint?\n";
    QTest::newRow("no value") << "NeutralPoint"
                              << "'NeutralPoint' is not NAME=VALUE";
    QTest::newRow("out of range") << "MAXDuty=400"
                                  << "MAX Duty takes a whole number from 0 to 399, not '400'";
    QTest::newRow("switch word") << "SoftStart=maybe"
                                 << "Soft Start takes on/off, true/false or 1/0, not 'maybe'";
    // The strictness of parameter files.
    QTest::newRow("plus sign") << "TorqueGain=+9"
                               << "Torque Gain takes a whole number from 0 to 255, not '+9'";
    QTest::newRow("blank") << "TorqueGain= 7"
                           << "Torque Gain takes a whole number from 0 to 255, not ' 7'";
    QTest::newRow("a name twice") << "TorqueGain=5|TorqueGain=6"
                                  << "Torque Gain is given twice: 'TorqueGain=5' and "
                                     "'TorqueGain=6'";
    QTest::newRow("two names of one parameter")
        << "neutral-point=1500|NeutralPoint=1600"
        << "Neutral Point is given twice: 'neutral-point=1500' and 'NeutralPoint=1600'";
}

void CliWriteTest::setRefusesBadNamesAndValues()
{
    QFETCH(QString, assignment);
    QFETCH(QString, message);
    const Run run = nimbalctl(QStringList{QStringLiteral("set"), QStringLiteral("-p"), m_port} +
                              assignment.split(QLatin1Char('|')));
    VERIFY_RUN(run, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    // One line that says what is wrong, and one that says where to read more.
    QVERIFY2(run.err.endsWith(QStringLiteral("\nnimbalctl: see 'nimbalctl help set'\n")),
             qPrintable(run.err));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 2);
    drain();
    QCOMPARE(m_servo->receivedBytes(), QByteArray());
}

void CliWriteTest::diffComparesFilesAndServo()
{
    const QString a = dataPath(kWanted);
    const QString b = writeFile(m_dir, QStringLiteral("b.txt"), dataLine(kServoStart) + "\r\nmore");

    Run run = nimbalctl({QStringLiteral("diff"), a, a});
    VERIFY_RUN(run, 0);
    QCOMPARE(run.out, QString());

    run = nimbalctl({QStringLiteral("diff"), QStringLiteral("-p"), m_port, b});
    VERIFY_RUN(run, 0);
    QCOMPARE(m_servo->requestsSeen(), 1);

    run = nimbalctl({QStringLiteral("diff"), QStringLiteral("-p"), m_port, a});
    VERIFY_RUN(run, 1);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Every field but Neutral Point, Soft Start and LOCK Protection.
    QCOMPARE(lines.size(), 11);
    QVERIFY2(lines.contains(QStringLiteral("Torque Gain: %1 40, servo 32").arg(a)),
             qPrintable(run.out));
    QVERIFY2(lines.contains(QStringLiteral("Reversed Rotation: %1 off, servo on").arg(a)),
             qPrintable(run.out));
}

QTEST_GUILESS_MAIN(CliWriteTest)
#include "tst_cli_write.moc"
