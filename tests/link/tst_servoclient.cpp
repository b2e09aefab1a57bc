// The client against a simulated servo on a real pseudo-terminal, in one
// thread: the client's waiting runs the event loop, so the servo answers.

#include "frameexamples.h"
#include "servo/servoclient.h"
#include "servosimulator.h"

#include <QThread>
#include <QtTest>

Q_DECLARE_METATYPE(QVector<int>)

namespace {

ParameterSet someValues()
{
    ParameterSet values = Reference::startValues();
    values.setValue(Parameter::NeutralPoint, 1520);
    values.setValue(Parameter::MAXDuty, 399);
    values.setValue(Parameter::SoftStart, 1);
    return values;
}

} // namespace

class ServoClientTest : public QObject
{
    Q_OBJECT

private slots:
    void readFindsTheAnswerWhateverSurroundsIt_data();
    void readFindsTheAnswerWhateverSurroundsIt();
    void writeSendsTheWindowsBytesAndWaitsForTheWriteAnswer();
    void answerOfTheOtherKindIsNotTaken();
    void answerLeftFromEarlierIsNotTaken();
    void vanishingPortEndsTheWaitAtOnce();
    void anAnswerInTimeIsTakenThoughTheLoopIsLate();
};

void ServoClientTest::readFindsTheAnswerWhateverSurroundsIt_data()
{
    QTest::addColumn<int>("noise");
    QTest::addColumn<QVector<int>>("pieces");
    QTest::addColumn<bool>("echo");

    QTest::newRow("plain") << 0 << QVector<int>() << false;
    QTest::newRow("byte by byte") << 0 << QVector<int>(20, 1) << false;
    QTest::newRow("noise before") << 13 << QVector<int>() << false;
    QTest::newRow("request echoed") << 0 << QVector<int>() << true;
    QTest::newRow("echo, noise and pieces") << 7 << QVector<int>{3, 9, 1} << true;
}

void ServoClientTest::readFindsTheAnswerWhateverSurroundsIt()
{
    QFETCH(int, noise);
    QFETCH(QVector<int>, pieces);
    QFETCH(bool, echo);

    ServoSimulator servo;
    QVERIFY2(servo.isOpen(), qPrintable(servo.errorString()));
    servo.setNoise(noise);
    servo.setNoiseSeed(7);
    servo.setSplitSizes(pieces);
    servo.setEcho(echo);

    ServoClient client;
    QVERIFY2(client.open(servo.slavePath()), qPrintable(client.errorString()));
    const ServoClient::Reply reply = client.read();
    QCOMPARE(int(reply.outcome), int(ServoClient::Outcome::Answered));
    QCOMPARE(reply.attempts, 1);
    QVERIFY(reply.values == servo.values());
    // Byte for byte what a freshly started window sends on Read.
    QCOMPARE(servo.receivedBytes(),
             Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A3 AA"));
}

void ServoClientTest::writeSendsTheWindowsBytesAndWaitsForTheWriteAnswer()
{
    ServoSimulator servo;
    QVERIFY2(servo.isOpen(), qPrintable(servo.errorString()));
    ServoClient client;
    QVERIFY(client.open(servo.slavePath()));

    const ParameterSet values = someValues();
    const ServoClient::Reply reply = client.write(values);
    QCOMPARE(int(reply.outcome), int(ServoClient::Outcome::Answered));
    QVERIFY(servo.values() == values);
    QVERIFY(reply.values == values);
    QCOMPARE(servo.receivedBytes(),
             Reference::encode(FrameExamples::with({{Parameter::NeutralPoint, 1520},
                                                    {Parameter::MAXDuty, 399},
                                                    {Parameter::SoftStart, 1}}),
                               Reference::kWriteRequest));
}

void ServoClientTest::answerOfTheOtherKindIsNotTaken()
{
    ServoSimulator servo;
    QVERIFY(servo.isOpen());
    servo.setSilent(true);
    // Whatever comes back to a read is a write answer, then a frame with a
    // bad checksum: neither is the read's answer.
    QByteArray badChecksum = Reference::encode(someValues(), Reference::kReadAnswer);
    badChecksum[18] = char(badChecksum.at(18) + 1);
    connect(&servo, &ServoSimulator::requestReceived, &servo, [&] {
        servo.sendRaw(Reference::encode(someValues(), Reference::kWriteAnswer) + badChecksum);
    });
    ServoClient client;
    QVERIFY(client.open(servo.slavePath()));
    client.setTimeout(100);
    client.setRetries(0);
    QCOMPARE(int(client.read().outcome), int(ServoClient::Outcome::NoAnswer));
}

// A late or duplicate answer to an earlier request, already on the line
// when a request goes out, is not this request's answer.
void ServoClientTest::answerLeftFromEarlierIsNotTaken()
{
    ServoSimulator servo;
    QVERIFY(servo.isOpen());
    servo.setSilent(true);
    connect(&servo, &ServoSimulator::requestReceived, &servo,
            [&] { servo.sendRaw(Reference::encode(someValues(), Reference::kReadAnswer)); });
    ServoClient client;
    QVERIFY(client.open(servo.slavePath()));
    QVERIFY(servo.sendRaw(Reference::encode(Reference::startValues(), Reference::kReadAnswer)));

    const ServoClient::Reply reply = client.read();
    QCOMPARE(int(reply.outcome), int(ServoClient::Outcome::Answered));
    QVERIFY(reply.values == someValues());
}

void ServoClientTest::vanishingPortEndsTheWaitAtOnce()
{
    ServoSimulator servo;
    QVERIFY(servo.isOpen());
    servo.setSilent(true);
    connect(&servo, &ServoSimulator::requestReceived, &servo, [&] { servo.vanish(); });
    ServoClient client;
    QVERIFY(client.open(servo.slavePath()));
    QSignalSpy lost(&client, &ServoClient::portLost);
    // Long enough that ending on the timeout would show as a second attempt.
    client.setTimeout(60000);
    client.setRetries(2);

    const ServoClient::Reply reply = client.read();
    QCOMPARE(int(reply.outcome), int(ServoClient::Outcome::PortLost));
    QCOMPARE(reply.attempts, 1);
    QCOMPARE(lost.count(), 1);
    QVERIFY(!client.isOpen());
    // Later requests end at once, without touching the port again.
    const ServoClient::Reply again = client.write(someValues());
    QCOMPARE(int(again.outcome), int(ServoClient::Outcome::PortLost));
    QCOMPARE(again.attempts, 0);
    QCOMPARE(lost.count(), 1);
}

// The event loop stalls for 300 ms (a busy window, a slow disk) just after
// the servo has answered, within the 100 ms timeout: when the loop runs
// again, the timeout is due before the port has told of the answer. The
// answer is taken, every time, and no request goes out again.
void ServoClientTest::anAnswerInTimeIsTakenThoughTheLoopIsLate()
{
    ServoSimulator servo;
    connect(&servo, &ServoSimulator::answerSent, &servo, [] { QThread::msleep(300); });
    ServoClient client;
    client.setTimeout(100);
    client.setRetries(0);
    QVERIFY(client.open(servo.slavePath()));
    constexpr int kTries = 10;
    int answered = 0;
    for (int i = 0; i < kTries; ++i)
        answered += client.read().outcome == ServoClient::Outcome::Answered ? 1 : 0;
    QCOMPARE(answered, kTries);
    QCOMPARE(servo.requestsSeen(), kTries);
}

QTEST_GUILESS_MAIN(ServoClientTest)
#include "tst_servoclient.moc"
