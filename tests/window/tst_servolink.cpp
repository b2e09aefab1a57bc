// The tool's window and a simulated servo on the two ends of a kernel
// pseudo-terminal: requests as they leave the port, answers as the servo
// sends them (whole, in pieces, among noise) and what the window makes of
// them.

#include "app/widget.h"
#include "eventpasses.h"
#include "referenceframe.h"
#include "servosimulator.h"
#include "windowtest.h"

#include <QPushButton>
#include <QSerialPort>
#include <QtTest>

#include <memory>

namespace {

const QString kReading = QStringLiteral("参数读取成功  Reading successful");
const QString kWriting = QStringLiteral("参数写入成功  Write successfully");

using P = Parameter;
using ParameterValues::with;

ParameterSet servoStart()
{
    return ServoSimulator::startValues();
}

} // namespace

class ServoLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readRoundTrip();
    void writeRoundTrip_data();
    void writeRoundTrip();
    void twoQuickClicksSendTwoFrames();
    void answerSplitAtEveryByteBoundary();
    void simulatorAnswerStyles_data();
    void simulatorAnswerStyles();
    void noiseBeforeAndBetweenAnswers();
    void twoAnswersInOneArrival();
    void answerKinds_data();
    void answerKinds();
    void echoedRequestIgnored_data();
    void echoedRequestIgnored();
    void outOfRangeFieldsClamped_data();
    void outOfRangeFieldsClamped();
    void falseHeaderBeforeRealFrame_data();
    void falseHeaderBeforeRealFrame();
    void nothingSentWithoutOpenPort();
    void servoAnswersOnlyValidRequests();
    void silentServoNeverAnswers();
    void servoRestsWhileNoOneHasThePortOpen();

private:
    void click(const char *button);
    // Sends raw bytes as the servo and waits until the port has read them.
    void sendAndWait(const QByteArray &bytes);

    std::unique_ptr<ServoSimulator> servo;
    std::unique_ptr<Widget> window;
    QSerialPort *port = nullptr;
    int readyReads = 0;
};

void ServoLinkTest::init()
{
    servo = std::make_unique<ServoSimulator>();
    QVERIFY2(servo->isOpen(), qPrintable(servo->errorString()));
    window = std::make_unique<Widget>();
    port = window->findChild<QSerialPort *>();
    QVERIFY(port);
    readyReads = 0;
    // Connected after the window's own slot, so it runs once the window has
    // taken the bytes in.
    connect(port, &QSerialPort::readyRead, this, [this] { ++readyReads; });
    QVERIFY(WindowTest::choosePort(*window, servo->slavePath()));
    WindowTest::statusLog(*window)->clear();
}

void ServoLinkTest::cleanup()
{
    window.reset();
    servo.reset();
}

void ServoLinkTest::click(const char *button)
{
    auto *b = window->findChild<QPushButton *>(QLatin1String(button));
    QVERIFY(b);
    b->click();
}

void ServoLinkTest::sendAndWait(const QByteArray &bytes)
{
    const int before = readyReads;
    QVERIFY(servo->sendRaw(bytes));
    QTRY_VERIFY(readyReads > before);
}

void ServoLinkTest::readRoundTrip()
{
    click("pB_ReadParameter");
    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{kReading});
    QCOMPARE(servo->receivedBytes(),
             Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A3 AA"));
    QCOMPARE(servo->requestsSeen(), 1);
    QCOMPARE(servo->answersSent(), 1);
    QCOMPARE(WindowTest::values(*window), servoStart());
}

void ServoLinkTest::writeRoundTrip_data()
{
    QTest::addColumn<ParameterSet>("values");
    QTest::newRow("every field changed")
        << with(Reference::startValues(), {{P::TorqueGain, 7},
                                           {P::BrakeGain, 99},
                                           {P::IntegralGain, 250},
                                           {P::IntegralSpeed, 1},
                                           {P::MinPulseWidth, 1234},
                                           {P::MAXPulseWidth, 2345},
                                           {P::Sensitivity, 49},
                                           {P::NeutralPoint, 777},
                                           {P::MAXDuty, 300},
                                           {P::LeftAngleCoefficient, 66},
                                           {P::RightAngleCoefficient, 200},
                                           {P::LOCKProtection, 1}});
    QTest::newRow("maxima") << with(Reference::startValues(), {{P::TorqueGain, 255},
                                                               {P::BrakeGain, 255},
                                                               {P::IntegralGain, 255},
                                                               {P::IntegralSpeed, 255},
                                                               {P::MinPulseWidth, 2500},
                                                               {P::Sensitivity, 50},
                                                               {P::NeutralPoint, 2500},
                                                               {P::MAXDuty, 399},
                                                               {P::LeftAngleCoefficient, 255},
                                                               {P::RightAngleCoefficient, 255},
                                                               {P::ReversedRotation, 1},
                                                               {P::SoftStart, 1},
                                                               {P::LOCKProtection, 1}});
    QTest::newRow("start values") << Reference::startValues();
}

void ServoLinkTest::writeRoundTrip()
{
    QFETCH(ParameterSet, values);
    QVERIFY(WindowTest::setValues(*window, values));

    click("pB_WriteParameter");
    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{kWriting});
    QCOMPARE(servo->requests(), QList<QByteArray>{Reference::encode(values, 0x02)});
    QCOMPARE(servo->values(), values);
    QCOMPARE(WindowTest::values(*window), values);

    // The servo keeps what it was given.
    QVERIFY(WindowTest::setValues(*window, servoStart()));
    click("pB_ReadParameter");
    QTRY_COMPARE(WindowTest::logMessages(*window), (QStringList{kWriting, kReading}));
    QCOMPARE(WindowTest::values(*window), values);
}

void ServoLinkTest::twoQuickClicksSendTwoFrames()
{
    click("pB_ReadParameter");
    click("pB_WriteParameter");
    QTRY_COMPARE(WindowTest::logMessages(*window), (QStringList{kReading, kWriting}));
    const ParameterSet start = Reference::startValues();
    QCOMPARE(servo->receivedBytes(),
             Reference::encode(start, 0x00) + Reference::encode(start, 0x02));
}

void ServoLinkTest::answerSplitAtEveryByteBoundary()
{
    for (int cut = 1; cut < 20; ++cut) {
        const ParameterSet values = with(servoStart(), {{P::TorqueGain, cut}});
        const QByteArray frame = Reference::encode(values, 0x08);
        const ParameterSet shownBefore = WindowTest::values(*window);
        WindowTest::statusLog(*window)->clear();

        sendAndWait(frame.left(cut));
        QCOMPARE(WindowTest::logMessages(*window), QStringList());
        QCOMPARE(WindowTest::values(*window), shownBefore);

        sendAndWait(frame.mid(cut));
        QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{kReading});
        QCOMPARE(WindowTest::values(*window), values);
    }
}

void ServoLinkTest::simulatorAnswerStyles_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("pieces");
    QTest::addColumn<QVector<int>>("pieceSizes");
    QTest::addColumn<int>("noise");

    QTest::newRow("whole") << 0 << 1 << QVector<int>() << 0;
    QTest::newRow("after a delay") << 40 << 1 << QVector<int>() << 0;
    QTest::newRow("two pieces") << 0 << 2 << QVector<int>() << 0;
    QTest::newRow("byte by byte") << 0 << 20 << QVector<int>() << 0;
    QTest::newRow("7 and 13 bytes") << 0 << 1 << QVector<int>{7} << 0;
    QTest::newRow("19 and 1 bytes") << 0 << 1 << QVector<int>{19} << 0;
    QTest::newRow("3 noise bytes first") << 0 << 1 << QVector<int>() << 3;
    QTest::newRow("noise, then 3 pieces") << 10 << 3 << QVector<int>() << 45;
}

void ServoLinkTest::simulatorAnswerStyles()
{
    QFETCH(int, delayMs);
    QFETCH(int, pieces);
    QFETCH(QVector<int>, pieceSizes);
    QFETCH(int, noise);
    servo->setAnswerDelay(delayMs);
    if (pieceSizes.isEmpty())
        servo->setSplit(pieces);
    else
        servo->setSplitSizes(pieceSizes);
    servo->setNoise(noise);

    click("pB_ReadParameter");
    QTRY_COMPARE(servo->answersSent(), 1);
    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{kReading});
    QCOMPARE(WindowTest::values(*window), servoStart());
}

// Noise that may hold 0x55 bytes, before every answer.
void ServoLinkTest::noiseBeforeAndBetweenAnswers()
{
    servo->setNoise(30, true);
    servo->setNoiseSeed(9);
    click("pB_ReadParameter");
    click("pB_ReadParameter");
    click("pB_ReadParameter");
    QTRY_COMPARE(WindowTest::logMessages(*window), (QStringList{kReading, kReading, kReading}));
    QCOMPARE(servo->answersSent(), 3);
    QCOMPARE(WindowTest::values(*window), servoStart());
}

void ServoLinkTest::twoAnswersInOneArrival()
{
    const ParameterSet first = with(servoStart(), {{P::IntegralGain, 1}});
    const ParameterSet second = with(servoStart(), {{P::IntegralGain, 2}, {P::SoftStart, 0}});
    QVERIFY(servo->sendRaw(Reference::encode(first, 0x08) + Reference::encode(second, 0x04)));
    QTRY_COMPARE(WindowTest::logMessages(*window), (QStringList{kReading, kWriting}));
    QCOMPARE(WindowTest::values(*window), second);
}

void ServoLinkTest::answerKinds_data()
{
    QTest::addColumn<unsigned>("flags");
    QTest::addColumn<QString>("message");
    QTest::addColumn<ParameterSet>("values");

    const ParameterSet reversedAndSoft =
        with(servoStart(), {{P::ReversedRotation, 1}, {P::SoftStart, 1}, {P::LOCKProtection, 0}});
    const ParameterSet lockOnly =
        with(servoStart(), {{P::ReversedRotation, 0}, {P::SoftStart, 0}, {P::LOCKProtection, 1}});
    QTest::newRow("0x08 read") << 0x08u << kReading << reversedAndSoft;
    QTest::newRow("0x0C read only") << 0x0Cu << kReading << lockOnly;
    QTest::newRow("0x04 write, switches from bits 0 and 5") << 0x04u << kWriting << reversedAndSoft;
    QTest::newRow("0x04 write, switch from bit 4") << 0x04u << kWriting << lockOnly;
}

void ServoLinkTest::answerKinds()
{
    QFETCH(unsigned, flags);
    QFETCH(QString, message);
    QFETCH(ParameterSet, values);

    QVERIFY(servo->sendRaw(Reference::encode(values, flags)));
    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{message});
    QCOMPARE(WindowTest::values(*window), values);
}

void ServoLinkTest::echoedRequestIgnored_data()
{
    QTest::addColumn<unsigned>("flags");
    QTest::newRow("read request") << 0x00u;
    QTest::newRow("write request") << 0x02u;
    QTest::newRow("write request, all switches") << 0x33u;
}

void ServoLinkTest::echoedRequestIgnored()
{
    QFETCH(unsigned, flags);
    const ParameterSet shown = WindowTest::values(*window);

    sendAndWait(Reference::encode(servoStart(), flags));
    QCOMPARE(WindowTest::values(*window), shown);
    QCOMPARE(WindowTest::logMessages(*window), QStringList());

    // The answer behind it is the only one taken.
    QVERIFY(servo->sendRaw(Reference::encode(servoStart(), 0x08)));
    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{kReading});
}

void ServoLinkTest::outOfRangeFieldsClamped_data()
{
    QTest::addColumn<Parameter>("parameter");
    QTest::addColumn<int>("received");
    QTest::addColumn<int>("shown");

    QTest::newRow("Neutral Point FF FF") << P::NeutralPoint << 0xFFFF << 2500;
    QTest::newRow("Neutral Point 0") << P::NeutralPoint << 0 << 500;
    QTest::newRow("Sensitivity 200") << P::Sensitivity << 200 << 50;
    QTest::newRow("Min Pulse Width 0") << P::MinPulseWidth << 0 << 500;
    QTest::newRow("MAX Pulse Width 01 00") << P::MAXPulseWidth << 0x0100 << 500;
    QTest::newRow("MAX Duty FF FF") << P::MAXDuty << 0xFFFF << 399;
    QTest::newRow("MAX Duty 400") << P::MAXDuty << 400 << 399;
    QTest::newRow("Brake Gain high byte set") << P::BrakeGain << 0x0300 << 255;
    QTest::newRow("Torque Gain 255 in range") << P::TorqueGain << 255 << 255;
}

void ServoLinkTest::outOfRangeFieldsClamped()
{
    QFETCH(Parameter, parameter);
    QFETCH(int, received);
    QFETCH(int, shown);

    ParameterSet values = servoStart();
    values.setValue(parameter, received);
    QVERIFY(servo->sendRaw(Reference::encode(values, 0x08)));
    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{kReading});
    values.setValue(parameter, shown);
    QCOMPARE(WindowTest::values(*window), values);
}

void ServoLinkTest::falseHeaderBeforeRealFrame_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("frame");

    // The real frame starts inside the false candidate: 0x55 at distance d
    // before it and the frame's byte 19 - d is 0xAA.
    const QByteArray dutyAA = Reference::encode(with(servoStart(), {{P::MAXDuty, 0xAA8F}}), 0x08);
    QTest::newRow("5 bytes before") << Reference::bytes("55 00 00 00 00") << dutyAA;
    const QByteArray neutralAA =
        Reference::encode(with(servoStart(), {{P::NeutralPoint, 0x05AA}}), 0x04);
    QTest::newRow("3 bytes before") << Reference::bytes("55 00 00") << neutralAA;

    QByteArray falseFrame = Reference::encode(servoStart(), 0x08);
    falseFrame[18] = char(falseFrame.at(18) + 1);
    QTest::newRow("a whole false frame before")
        << falseFrame << Reference::encode(with(servoStart(), {{P::TorqueGain, 1}}), 0x08);
}

void ServoLinkTest::falseHeaderBeforeRealFrame()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, frame);
    // The candidate the prefix starts must fail its checksum for the row to mean anything.
    const QByteArray candidate = (prefix + frame).left(20);
    QCOMPARE(uchar(candidate.at(19)), uchar(0xAA));
    QVERIFY(Reference::withChecksum(candidate) != candidate);

    QVERIFY(servo->sendRaw(prefix + frame));
    const QString expected = (uchar(frame.at(3)) & 0x08) ? kReading : kWriting;
    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{expected});
    QCOMPARE(WindowTest::values(*window), Reference::clamped(Reference::decode(frame)));
}

void ServoLinkTest::nothingSentWithoutOpenPort()
{
    QVERIFY(!WindowTest::choosePort(*window, QStringLiteral("/nonexistent/ttyServo")));
    WindowTest::statusLog(*window)->clear();
    const ParameterSet shown = WindowTest::values(*window);

    click("pB_ReadParameter");
    click("pB_WriteParameter");
    QCOMPARE(WindowTest::logMessages(*window), QStringList());
    QCOMPARE(WindowTest::values(*window), shown);

    // Anything the clicks had written would now stand before this request.
    QVERIFY(WindowTest::choosePort(*window, servo->slavePath()));
    click("pB_ReadParameter");
    QTRY_COMPARE(servo->requestsSeen(), 1);
    QCOMPARE(servo->receivedBytes(), Reference::encode(shown, 0x00));
}

void ServoLinkTest::servoAnswersOnlyValidRequests()
{
    const ParameterSet start = Reference::startValues();
    QByteArray bad = Reference::encode(start, 0x02);
    bad[18] = char(bad.at(18) + 1);
    const QByteArray wire = bad + Reference::encode(start, 0x08) + Reference::encode(start, 0x06) +
                            Reference::bytes("55 13 AA") + Reference::encode(start, 0x00);
    QCOMPARE(port->write(wire), qint64(wire.size()));

    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{kReading});
    QCOMPARE(servo->requests(), QList<QByteArray>{Reference::encode(start, 0x00)});
    QCOMPARE(servo->answersSent(), 1);
    QCOMPARE(servo->values(), servoStart());
}

void ServoLinkTest::silentServoNeverAnswers()
{
    servo->setSilent(true);
    click("pB_WriteParameter");
    QTRY_COMPARE(servo->requestsSeen(), 1);

    servo->setSilent(false);
    click("pB_ReadParameter");
    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{kReading});
    QCOMPARE(servo->answersSent(), 1);
    // A silent servo takes nothing in: the write left it as it was.
    QCOMPARE(WindowTest::values(*window), servoStart());
}

void ServoLinkTest::servoRestsWhileNoOneHasThePortOpen()
{
    QVERIFY(!WindowTest::choosePort(*window, QStringLiteral("/nonexistent/ttyServo")));
    QTRY_VERIFY(servo->hungUp());
    // A hung-up master is always readable: watching it would wake the
    // simulator once a pass.
    const int wakeups = servo->readWakeups();
    EventPasses::run();
    QCOMPARE(servo->readWakeups(), wakeups);

    QVERIFY(WindowTest::choosePort(*window, servo->slavePath()));
    WindowTest::statusLog(*window)->clear();
    click("pB_ReadParameter");
    QTRY_COMPARE(WindowTest::logMessages(*window), QStringList{kReading});
    QVERIFY(!servo->hungUp());
}

QTEST_MAIN(ServoLinkTest)
#include "tst_servolink.moc"
