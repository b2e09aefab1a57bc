#ifndef NIMBAL_TESTS_REFERENCEFRAME_H
#define NIMBAL_TESTS_REFERENCEFRAME_H

// A second encoder and decoder of the parameter frame, written field by
// field from the frame table and sharing none of the program's encoding, so
// the two can be checked against each other. It keeps its own offsets,
// widths, bits, ranges and start values; only the container, the
// program's ParameterSet, is common.

#include "model/parameterset.h"

#include <QByteArray>
#include <QList>

#include <algorithm>

namespace Reference {

struct NumericField
{
    Parameter id;
    int offset;
    int width;
    int minimum;
    int maximum;
    int start;
};

// Byte offsets, widths and the controls' ranges and start values.
inline const NumericField kNumeric[] = {
    {Parameter::TorqueGain, 1, 1, 0, 255, 0},
    {Parameter::IntegralGain, 2, 1, 0, 255, 0},
    {Parameter::LeftAngleCoefficient, 4, 1, 0, 255, 0},
    {Parameter::Sensitivity, 5, 1, 0, 50, 0},
    {Parameter::IntegralSpeed, 6, 1, 0, 255, 0},
    {Parameter::BrakeGain, 7, 2, 0, 255, 0},
    {Parameter::MinPulseWidth, 9, 2, 500, 2500, 500},
    {Parameter::MAXPulseWidth, 11, 2, 500, 2500, 2500},
    {Parameter::MAXDuty, 13, 2, 0, 399, 0},
    {Parameter::RightAngleCoefficient, 15, 1, 0, 255, 0},
    {Parameter::NeutralPoint, 16, 2, 500, 2500, 1500},
};

struct SwitchBit
{
    Parameter id;
    unsigned mask;
};

// Bits of the flags byte at offset 3: bit 4 is LOCK Protection, bit 5 Soft
// Start.
inline const SwitchBit kSwitches[] = {
    {Parameter::ReversedRotation, 0x01},
    {Parameter::LOCKProtection, 0x10},
    {Parameter::SoftStart, 0x20},
};

inline constexpr unsigned kWriteRequest = 0x02;
inline constexpr unsigned kWriteAnswer = 0x04;
inline constexpr unsigned kReadAnswer = 0x08;

inline unsigned flagsOf(const QByteArray &frame)
{
    return uchar(frame.at(3));
}

inline ParameterSet startValues()
{
    ParameterSet v;
    for (const NumericField &f : kNumeric)
        v.setValue(f.id, f.start);
    for (const SwitchBit &s : kSwitches)
        v.setValue(s.id, 0);
    return v;
}

// Recomputes byte 18: the sum of bytes 1 to 17, modulo 256.
inline QByteArray withChecksum(QByteArray frame)
{
    unsigned sum = 0;
    for (int i = 1; i <= 17; ++i)
        sum += uchar(frame.at(i));
    frame[18] = char(sum & 0xFF);
    return frame;
}

// The 20 bytes carrying `v`; `kindBits` joins the switch bits in the flags
// byte. A value wider than its field keeps the field's low bytes.
inline QByteArray encode(const ParameterSet &v, unsigned kindBits)
{
    QByteArray frame(20, '\0');
    frame[0] = char(0x55);
    unsigned flags = kindBits;
    for (const SwitchBit &s : kSwitches)
        if (v.value(s.id))
            flags |= s.mask;
    frame[3] = char(flags);
    for (const NumericField &f : kNumeric) {
        const unsigned value = unsigned(v.value(f.id));
        frame[f.offset] = char(value & 0xFF);
        if (f.width == 2)
            frame[f.offset + 1] = char((value >> 8) & 0xFF);
    }
    frame[19] = char(0xAA);
    return withChecksum(frame);
}

// The raw values a frame carries, not limited to any range.
inline ParameterSet decode(const QByteArray &frame)
{
    ParameterSet v;
    for (const NumericField &f : kNumeric) {
        int value = uchar(frame.at(f.offset));
        if (f.width == 2)
            value |= uchar(frame.at(f.offset + 1)) << 8;
        v.setValue(f.id, value);
    }
    for (const SwitchBit &s : kSwitches)
        v.setValue(s.id, (uchar(frame.at(3)) & s.mask) ? 1 : 0);
    return v;
}

// What the controls show after taking `v`: each value limited to its range.
inline ParameterSet clamped(ParameterSet v)
{
    for (const NumericField &f : kNumeric)
        v.setValue(f.id, std::clamp(v.value(f.id), f.minimum, f.maximum));
    return v;
}

// Takes the whole frames off the front of `received`, as a servo would:
// a 0x55 with 0xAA nineteen bytes later and a checksum that holds is a
// frame; any other byte is dropped. At most 19 bytes stay behind.
inline QList<QByteArray> takeFrames(QByteArray &received)
{
    QList<QByteArray> frames;
    while (received.size() >= 20) {
        const QByteArray candidate = received.left(20);
        if (uchar(candidate.at(0)) == 0x55 && uchar(candidate.at(19)) == 0xAA &&
            withChecksum(candidate) == candidate) {
            frames.append(candidate);
            received.remove(0, 20);
        } else {
            received.remove(0, 1);
        }
    }
    return frames;
}

inline QByteArray bytes(const char *spacedHex)
{
    return QByteArray::fromHex(QByteArray(spacedHex));
}

} // namespace Reference

#endif
