#ifndef NIMBAL_PARAMETERFRAME_H
#define NIMBAL_PARAMETERFRAME_H

#include "model/parameterset.h"

#include <QByteArray>
#include <QString>

#include <array>

// The one message between the tool and the servo: 20 bytes, header 0x55,
// seventeen payload bytes, an additive checksum and trailer 0xAA. Two-byte
// values put the low byte first. There is no escaping: 0x55 and 0xAA may
// stand anywhere in the payload.
//
// Inside the tool a frame is handled as text of 40 hex digits, two per
// byte; it becomes bytes only at the serial port.
namespace ParameterFrame {

inline constexpr int kLength = 20;
inline constexpr int kTextLength = 2 * kLength;
inline constexpr int kPayloadLength = 17;
inline constexpr unsigned char kHeader = 0x55;
inline constexpr unsigned char kTrailer = 0xAA;
inline constexpr int kFlagsOffset = 3;
inline constexpr int kChecksumOffset = 18;

// Bits of the flags byte (offset 3). Bit 4 is LOCK Protection, bit 5 Soft
// Start.
inline constexpr unsigned kReversedRotationBit = 0x01;
inline constexpr unsigned kWriteRequestBit = 0x02;
inline constexpr unsigned kWriteAnswerBit = 0x04;
inline constexpr unsigned kReadAnswerBit = 0x08;
inline constexpr unsigned kLOCKProtectionBit = 0x10;
inline constexpr unsigned kSoftStartBit = 0x20;

// A request kind as the buttons pass it: 0 reads, anything else writes.
inline constexpr int kReadRequest = 0;
inline constexpr int kWriteRequest = 1;

struct Field
{
    Parameter id;
    int offset; // byte offset in the frame
    int width;  // 1 or 2 bytes
};

// The numeric fields in their order on the line.
inline constexpr std::array<Field, kNumericParameterCount> kFields = {{
    {Parameter::TorqueGain, 1, 1},
    {Parameter::IntegralGain, 2, 1},
    {Parameter::LeftAngleCoefficient, 4, 1},
    {Parameter::Sensitivity, 5, 1},
    {Parameter::IntegralSpeed, 6, 1},
    {Parameter::BrakeGain, 7, 2},
    {Parameter::MinPulseWidth, 9, 2},
    {Parameter::MAXPulseWidth, 11, 2},
    {Parameter::MAXDuty, 13, 2},
    {Parameter::RightAngleCoefficient, 15, 1},
    {Parameter::NeutralPoint, 16, 2},
}};

// The 20 bytes of a frame carrying `values`, with `kindBits` (request or
// answer bits) added to the switch bits of the flags byte. Values wider than
// their field keep only the field's low bits.
QByteArray encode(const ParameterSet &values, unsigned kindBits);

// The frame text of a request: value digits in lower case, "55" and "AA"
// in upper case, as the request builder has always written them.
QString requestText(const ParameterSet &values, int requestKind);

// Sum of the seventeen hex pairs of a 34-character payload text, not
// reduced; callers keep the low 8 bits. A pair that is not hex counts as 0.
uint checksum(const QString &payloadText);

// The same sum over the 34 characters that start at `pos` of `text`, and
// the byte written as the two characters at `pos`; both without copying.
uint checksumAt(const QString &text, int pos);
uint pairAt(const QString &text, int pos);

// Parameter values carried by a frame text, as received: not clamped to
// the controls' ranges. The switches come from bits 0, 5 and 4 of the flags.
ParameterSet decode(const QString &frameText);

// The flags byte of a frame text.
unsigned flags(const QString &frameText);

} // namespace ParameterFrame

#endif
