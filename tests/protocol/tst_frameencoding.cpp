// The parameter frame as the tool builds it (requests) and reads it
// (answers), against worked examples and against a second encoder.

#include "app/widget.h"
#include "protocol/parameterframe.h"
#include "referenceframe.h"
#include "windowcontrols.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

Reference::Values with(std::initializer_list<std::pair<const char *, int>> changes)
{
    Reference::Values v = Reference::startValues();
    for (const auto &change : changes)
        v[QLatin1String(change.first)] = change.second;
    return v;
}

ParameterSet toParameterSet(const Reference::Values &v)
{
    ParameterSet set;
    for (const ParameterInfo &param : kParameters)
        set.setValue(param.id, v.value(QLatin1String(param.name)));
    return set;
}

Reference::Values fromParameterSet(const ParameterSet &set)
{
    Reference::Values v;
    for (const ParameterInfo &param : kParameters)
        v.insert(QLatin1String(param.name), set.value(param.id));
    return v;
}

// The request text the tool writes for `frame`: "55", the payload and
// checksum in lower-case digits, "AA".
QString requestTextOf(const QByteArray &frame)
{
    return QLatin1String("55") + QString::fromLatin1(frame.mid(1, 18).toHex()) +
           QLatin1String("AA");
}

Reference::Values randomControls(QRandomGenerator &random)
{
    Reference::Values v;
    for (const Reference::NumericField &f : Reference::kNumeric)
        v.insert(QLatin1String(f.name), random.bounded(f.minimum, f.maximum + 1));
    for (const Reference::SwitchBit &s : Reference::kSwitches)
        v.insert(QLatin1String(s.name), random.bounded(2));
    return v;
}

} // namespace

class FrameEncodingTest : public QObject
{
    Q_OBJECT

private slots:
    void requestBytesFromControls_data();
    void requestBytesFromControls();
    void requestBytesFromParameterSet_data();
    void requestBytesFromParameterSet();
    void readRequestTextFromStartValuesIsExact();
    void randomControlsMatchReferenceEncoder();
    void randomAnswersSetControlsLikeReferenceDecoder();
    void frameChecksumSumsPairsUnreduced_data();
    void frameChecksumSumsPairsUnreduced();

private:
    Widget window;
};

void FrameEncodingTest::requestBytesFromControls_data()
{
    QTest::addColumn<Reference::Values>("controls");
    QTest::addColumn<int>("requestKind");
    QTest::addColumn<QByteArray>("expected");

    const Reference::Values start = Reference::startValues();
    const Reference::Values example = with({{"TorqueGain", 32},
                                            {"IntegralGain", 16},
                                            {"LeftAngleCoefficient", 100},
                                            {"Sensitivity", 25},
                                            {"IntegralSpeed", 50},
                                            {"BrakeGain", 200},
                                            {"MinPulseWidth", 900},
                                            {"MAXPulseWidth", 2100},
                                            {"MAXDuty", 399},
                                            {"RightAngleCoefficient", 120},
                                            {"NeutralPoint", 1520},
                                            {"ReversedRotation", 1},
                                            {"LOCKProtection", 1},
                                            {"SoftStart", 1}});
    const Reference::Values allSwitches =
        with({{"ReversedRotation", 1}, {"LOCKProtection", 1}, {"SoftStart", 1}});

    QTest::newRow("read, start values")
        << start << 0
        << Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A3 AA");
    QTest::newRow("write, start values")
        << start << 1
        << Reference::bytes("55 00 00 02 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A5 AA");
    QTest::newRow("any kind but 0 writes")
        << start << 7
        << Reference::bytes("55 00 00 02 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A5 AA");
    QTest::newRow("write, every field set")
        << example << 1
        << Reference::bytes("55 20 10 33 64 19 32 C8 00 84 03 34 08 8F 01 78 F0 05 9A AA");
    QTest::newRow("read, every field set")
        << example << 0
        << Reference::bytes("55 20 10 31 64 19 32 C8 00 84 03 34 08 8F 01 78 F0 05 98 AA");
    QTest::newRow("read, all switches: flags 0x31")
        << allSwitches << 0
        << Reference::bytes("55 00 00 31 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 D4 AA");
    QTest::newRow("write, all switches: flags 0x33")
        << allSwitches << 1
        << Reference::bytes("55 00 00 33 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 D6 AA");
    QTest::newRow("Reversed Rotation is bit 0")
        << with({{"ReversedRotation", 1}}) << 0
        << Reference::bytes("55 00 00 01 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A4 AA");
    QTest::newRow("LOCK Protection is bit 4")
        << with({{"LOCKProtection", 1}}) << 0
        << Reference::bytes("55 00 00 10 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 B3 AA");
    QTest::newRow("Soft Start is bit 5")
        << with({{"SoftStart", 1}}) << 0
        << Reference::bytes("55 00 00 20 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 C3 AA");
    QTest::newRow("MAX Duty 399 low byte first")
        << with({{"MAXDuty", 399}}) << 0
        << Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 8F 01 00 DC 05 33 AA");
    QTest::newRow("Neutral Point 2500 low byte first")
        << with({{"NeutralPoint", 2500}}) << 0
        << Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 C4 09 8F AA");
    QTest::newRow("checksum wraps to 0x00")
        << with({{"TorqueGain", 93}}) << 0
        << Reference::bytes("55 5D 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 00 AA");
    QTest::newRow("0x55 and 0xAA inside the payload")
        << with({{"TorqueGain", 0x55},
                 {"IntegralGain", 0xAA},
                 {"BrakeGain", 0xAA},
                 {"MinPulseWidth", 0x2AA},
                 {"RightAngleCoefficient", 0x55},
                 {"NeutralPoint", 0x955}})
        << 1 << Reference::bytes("55 55 AA 02 00 00 00 AA 00 AA 02 C4 09 00 00 55 55 09 D7 AA");
}

void FrameEncodingTest::requestBytesFromControls()
{
    QFETCH(Reference::Values, controls);
    QFETCH(int, requestKind);
    QFETCH(QByteArray, expected);

    QVERIFY(WindowControls::set(window, controls));
    const QString text = window.buildParameterFrame(requestKind);
    QCOMPARE(text, requestTextOf(expected));
    QCOMPARE(QByteArray::fromHex(text.toLatin1()), expected);
}

void FrameEncodingTest::requestBytesFromParameterSet_data()
{
    requestBytesFromControls_data();
}

void FrameEncodingTest::requestBytesFromParameterSet()
{
    QFETCH(Reference::Values, controls);
    QFETCH(int, requestKind);
    QFETCH(QByteArray, expected);

    const ParameterSet set = toParameterSet(controls);
    const unsigned kindBits = requestKind == 0 ? 0 : ParameterFrame::kWriteRequestBit;
    QCOMPARE(ParameterFrame::encode(set, kindBits), expected);
    QCOMPARE(ParameterFrame::requestText(set, requestKind), requestTextOf(expected));
    // What the servo reads back out of it.
    QCOMPARE(fromParameterSet(ParameterFrame::decode(requestTextOf(expected))), controls);
    QCOMPARE(ParameterFrame::flags(requestTextOf(expected)), unsigned(uchar(expected.at(3))));
}

void FrameEncodingTest::readRequestTextFromStartValuesIsExact()
{
    QVERIFY(WindowControls::set(window, Reference::startValues()));
    QCOMPARE(window.buildParameterFrame(0),
             QStringLiteral("550000000000000000f401c409000000dc05a3AA"));
}

void FrameEncodingTest::randomControlsMatchReferenceEncoder()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 400; ++round) {
        const Reference::Values controls = randomControls(random);
        const int kind = int(random.bounded(2));
        QVERIFY(WindowControls::set(window, controls));
        const QByteArray expected =
            Reference::encode(controls, kind == 0 ? 0 : Reference::kWriteRequest);
        const QString text = window.buildParameterFrame(kind);
        QCOMPARE(text.size(), 40);
        QCOMPARE(QByteArray::fromHex(text.toLatin1()), expected);
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
        const Reference::Values expected = Reference::clamped(Reference::decode(frame));

        window.applyParameterFrame(QString::fromLatin1(frame.toHex().toUpper()));
        QCOMPARE(WindowControls::values(window), expected);
    }
}

void FrameEncodingTest::frameChecksumSumsPairsUnreduced_data()
{
    QTest::addColumn<QString>("payloadText");
    QTest::addColumn<uint>("sum");

    QTest::newRow("lower case") << QStringLiteral("0000000000000000f401c409000000dc05")
                                << uint(0x2A3);
    QTest::newRow("upper case") << QStringLiteral("0000000000000000F401C409000000DC05")
                                << uint(0x2A3);
    QTest::newRow("mixed case") << QStringLiteral("0000000000000000F401c409000000Dc05")
                                << uint(0x2A3);
    QTest::newRow("all FF, not reduced") << QString(34, QLatin1Char('F')) << uint(17 * 255);
    QTest::newRow("multiple of 256")
        << QStringLiteral("5D00000000000000F401C409000000DC05") << uint(0x300);
    QTest::newRow("a pair that is not hex counts 0")
        << QStringLiteral("zz0101010101010101010101010101010G") << uint(15);
}

void FrameEncodingTest::frameChecksumSumsPairsUnreduced()
{
    QFETCH(QString, payloadText);
    QFETCH(uint, sum);
    QCOMPARE(window.frameChecksum(payloadText), sum);
}

QTEST_MAIN(FrameEncodingTest)
#include "tst_frameencoding.moc"
