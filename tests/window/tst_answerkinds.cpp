// The window and the serial link's client take the same frames for the
// same kind of answer: one valid frame of each flags byte goes to both.

#include "app/widget.h"
#include "pseudoterminal.h"
#include "referenceframe.h"
#include "servo/servoclient.h"
#include "servosimulator.h"
#include "windowtest.h"

#include <QtTest>

namespace {

const QString kReading = QStringLiteral("参数读取成功  Reading successful");
const QString kWriting = QStringLiteral("参数写入成功  Write successfully");

// What the frame under test carries, and what the real answer behind it
// carries: whichever is taken shows in the values.
ParameterSet candidateValues()
{
    ParameterSet values = Reference::startValues();
    values.setValue(Parameter::TorqueGain, 11);
    return values;
}

ParameterSet answerValues()
{
    ParameterSet values = Reference::startValues();
    values.setValue(Parameter::TorqueGain, 22);
    return values;
}

} // namespace

class AnswerKindsTest : public QObject
{
    Q_OBJECT

private slots:
    void windowAndClientAgree_data();
    void windowAndClientAgree();
};

void AnswerKindsTest::windowAndClientAgree_data()
{
    QTest::addColumn<unsigned>("flags");
    QTest::addColumn<QString>("windowMessage"); // empty: the window drops it
    QTest::addColumn<bool>("readTakesIt");
    QTest::addColumn<bool>("writeTakesIt");

    QTest::newRow("0x08 read answer") << 0x08u << kReading << true << false;
    QTest::newRow("0x04 write answer") << 0x04u << kWriting << false << true;
    QTest::newRow("0x0C both bits: a read answer") << 0x0Cu << kReading << true << false;
    QTest::newRow("0x00 a request") << 0x00u << QString() << false << false;
    QTest::newRow("0x3C both bits and switches") << 0x3Cu << kReading << true << false;
}

void AnswerKindsTest::windowAndClientAgree()
{
    QFETCH(unsigned, flags);
    QFETCH(QString, windowMessage);
    QFETCH(bool, readTakesIt);
    QFETCH(bool, writeTakesIt);
    const QByteArray candidate = Reference::encode(candidateValues(), flags);
    const ParameterSet carried = Reference::decode(candidate);

    // The window, with a read answer behind the frame to show it has read
    // both.
    {
        Widget window;
        PseudoTerminal device;
        QVERIFY2(device.isOpen(), qPrintable(device.errorString()));
        QVERIFY(WindowTest::choosePort(window, device.slavePath()));
        WindowTest::statusLog(window)->clear();
        QVERIFY(
            device.write(candidate + Reference::encode(answerValues(), Reference::kReadAnswer)));
        QStringList expected;
        if (!windowMessage.isEmpty())
            expected.append(windowMessage);
        expected.append(kReading);
        QTRY_COMPARE(WindowTest::logMessages(window), expected);
    }

    // The client, asking for each kind in turn; the servo answers the
    // request with the frame, then with a real answer of the kind asked.
    for (const bool write : {false, true}) {
        ServoSimulator servo;
        QVERIFY2(servo.isOpen(), qPrintable(servo.errorString()));
        servo.setSilent(true);
        const unsigned kind = write ? Reference::kWriteAnswer : Reference::kReadAnswer;
        connect(&servo, &ServoSimulator::requestReceived, &servo,
                [&] { servo.sendRaw(candidate + Reference::encode(answerValues(), kind)); });
        ServoClient client;
        QVERIFY2(client.open(servo.slavePath()), qPrintable(client.errorString()));
        const ServoClient::Reply reply = write ? client.write(answerValues()) : client.read();
        QCOMPARE(int(reply.outcome), int(ServoClient::Outcome::Answered));
        const bool takesIt = write ? writeTakesIt : readTakesIt;
        QVERIFY2(reply.values == (takesIt ? carried : answerValues()), write ? "write" : "read");
    }
}

QTEST_MAIN(AnswerKindsTest)
#include "tst_answerkinds.moc"
