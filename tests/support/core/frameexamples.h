#ifndef NIMBAL_TESTS_FRAMEEXAMPLES_H
#define NIMBAL_TESTS_FRAMEEXAMPLES_H

// Worked examples of requests and checksums, shared by the tests of the
// frame codec and of the window's request builder.

#include "parametervalues.h"
#include "referenceframe.h"

#include <QtTest>

namespace FrameExamples {

// The reference's start values with some parameters changed.
inline ParameterSet with(std::initializer_list<std::pair<Parameter, int>> changes)
{
    return ParameterValues::with(Reference::startValues(), changes);
}

// The request text the tool writes for `frame`: "55", the payload and
// checksum in lower-case digits, "AA".
inline QString requestTextOf(const QByteArray &frame)
{
    return QLatin1String("55") + QString::fromLatin1(frame.mid(1, 18).toHex()) +
           QLatin1String("AA");
}

// Columns: controls (ParameterSet), requestKind (int), expected bytes.
inline void addRequestRows()
{
    using P = Parameter;
    QTest::addColumn<ParameterSet>("controls");
    QTest::addColumn<int>("requestKind");
    QTest::addColumn<QByteArray>("expected");

    const ParameterSet start = Reference::startValues();
    const ParameterSet example = with({{P::TorqueGain, 32},
                                       {P::IntegralGain, 16},
                                       {P::LeftAngleCoefficient, 100},
                                       {P::Sensitivity, 25},
                                       {P::IntegralSpeed, 50},
                                       {P::BrakeGain, 200},
                                       {P::MinPulseWidth, 900},
                                       {P::MAXPulseWidth, 2100},
                                       {P::MAXDuty, 399},
                                       {P::RightAngleCoefficient, 120},
                                       {P::NeutralPoint, 1520},
                                       {P::ReversedRotation, 1},
                                       {P::LOCKProtection, 1},
                                       {P::SoftStart, 1}});
    const ParameterSet allSwitches =
        with({{P::ReversedRotation, 1}, {P::LOCKProtection, 1}, {P::SoftStart, 1}});

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
        << with({{P::ReversedRotation, 1}}) << 0
        << Reference::bytes("55 00 00 01 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A4 AA");
    QTest::newRow("LOCK Protection is bit 4")
        << with({{P::LOCKProtection, 1}}) << 0
        << Reference::bytes("55 00 00 10 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 B3 AA");
    QTest::newRow("Soft Start is bit 5")
        << with({{P::SoftStart, 1}}) << 0
        << Reference::bytes("55 00 00 20 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 C3 AA");
    QTest::newRow("MAX Duty 399 low byte first")
        << with({{P::MAXDuty, 399}}) << 0
        << Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 8F 01 00 DC 05 33 AA");
    QTest::newRow("Neutral Point 2500 low byte first")
        << with({{P::NeutralPoint, 2500}}) << 0
        << Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 C4 09 8F AA");
    QTest::newRow("checksum wraps to 0x00")
        << with({{P::TorqueGain, 93}}) << 0
        << Reference::bytes("55 5D 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 00 AA");
    QTest::newRow("0x55 and 0xAA inside the payload")
        << with({{P::TorqueGain, 0x55},
                 {P::IntegralGain, 0xAA},
                 {P::BrakeGain, 0xAA},
                 {P::MinPulseWidth, 0x2AA},
                 {P::RightAngleCoefficient, 0x55},
                 {P::NeutralPoint, 0x955}})
        << 1 << Reference::bytes("55 55 AA 02 00 00 00 AA 00 AA 02 C4 09 00 00 55 55 09 D7 AA");
}

// Columns: payloadText (QString), sum (uint), the checksum before reduction.
inline void addChecksumRows()
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

} // namespace FrameExamples

#endif
