// The parameter frame as the window builds it from its controls (requests)
// and applies it to them (answers), against worked examples and against a
// second encoder.

#include "app/widget.h"
#include "frameexamples.h"
#include "protocol/parameterframe.h"
#include "servo/servoclient.h"
#include "windowtest.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

ParameterSet randomControls(QRandomGenerator &random)
{
    ParameterSet v;
    for (const Reference::NumericField &f : Reference::kNumeric)
        v.setValue(f.id, random.bounded(f.minimum, f.maximum + 1));
    for (const Reference::SwitchBit &s : Reference::kSwitches)
        v.setValue(s.id, random.bounded(2));
    return v;
}

} // namespace

class FrameEncodingTest : public QObject
{
    Q_OBJECT

private slots:
    void requestBytesFromControls_data() { FrameExamples::addRequestRows(); }
    void requestBytesFromControls();
    void readRequestTextFromStartValuesIsExact();
    void randomControlsMatchReferenceEncoder();
    void clientSendsTheWindowsRequests();
    void randomAnswersSetControlsLikeReferenceDecoder();
    void frameChecksumSumsPairsUnreduced_data() { FrameExamples::addChecksumRows(); }
    void frameChecksumSumsPairsUnreduced();

private:
    Widget window;
};

void FrameEncodingTest::requestBytesFromControls()
{
    QFETCH(ParameterSet, controls);
    QFETCH(int, requestKind);
    QFETCH(QByteArray, expected);

    QVERIFY(WindowTest::setValues(window, controls));
    const QString text = window.buildParameterFrame(requestKind);
    QCOMPARE(text, FrameExamples::requestTextOf(expected));
    QCOMPARE(QByteArray::fromHex(text.toLatin1()), expected);
}

void FrameEncodingTest::readRequestTextFromStartValuesIsExact()
{
    QVERIFY(WindowTest::setValues(window, Reference::startValues()));
    QCOMPARE(window.buildParameterFrame(0),
             QStringLiteral("550000000000000000f401c409000000dc05a3AA"));
}

void FrameEncodingTest::randomControlsMatchReferenceEncoder()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 400; ++round) {
        const ParameterSet controls = randomControls(random);
        const int kind = int(random.bounded(2));
        QVERIFY(WindowTest::setValues(window, controls));
        const QByteArray expected =
            Reference::encode(controls, kind == 0 ? 0 : Reference::kWriteRequest);
        const QString text = window.buildParameterFrame(kind);
        QCOMPARE(text.size(), 40);
        QCOMPARE(QByteArray::fromHex(text.toLatin1()), expected);
    }
}

// The command line's client sends what a freshly started window sends on
// Read, and on Write what the window sends for the same values.
void FrameEncodingTest::clientSendsTheWindowsRequests()
{
    const Widget fresh;
    QCOMPARE(QByteArray::fromHex(fresh.buildParameterFrame(0).toLatin1()),
             ServoClient::readRequest());

    QRandomGenerator random(4711);
    for (int round = 0; round < 100; ++round) {
        const ParameterSet controls = randomControls(random);
        QVERIFY(WindowTest::setValues(window, controls));
        QCOMPARE(ServoClient::writeRequest(controls),
                 QByteArray::fromHex(window.buildParameterFrame(1).toLatin1()));
    }
}

// Any field value a servo may send, in and out of the controls' ranges.
void FrameEncodingTest::randomAnswersSetControlsLikeReferenceDecoder()
{
    QRandomGenerator random(77);
    for (int round = 0; round < 400; ++round) {
        QByteArray frame(20, '\0');
        frame[0] = char(0x55);
        for (int i = 1; i <= 17; ++i)
            frame[i] = char(random.bounded(256));
        frame[19] = char(0xAA);
        frame = Reference::withChecksum(frame);
        const ParameterSet expected = Reference::clamped(Reference::decode(frame));

        window.applyParameterFrame(QString::fromLatin1(frame.toHex().toUpper()));
        QCOMPARE(WindowTest::values(window), expected);
    }
}

void FrameEncodingTest::frameChecksumSumsPairsUnreduced()
{
    QFETCH(QString, payloadText);
    QFETCH(uint, sum);
    QCOMPARE(window.frameChecksum(payloadText), sum);
}

QTEST_MAIN(FrameEncodingTest)
#include "tst_frameencoding.moc"
