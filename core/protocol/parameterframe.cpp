#include "protocol/parameterframe.h"

namespace ParameterFrame {

namespace {

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

unsigned switchBits(const ParameterSet &values)
{
    unsigned bits = 0;
    if (values.isOn(Parameter::ReversedRotation))
        bits |= kReversedRotationBit;
    if (values.isOn(Parameter::LOCKProtection))
        bits |= kLOCKProtectionBit;
    if (values.isOn(Parameter::SoftStart))
        bits |= kSoftStartBit;
    return bits;
}

} // namespace

uint pairAt(const QString &text, int pos)
{
    if (pos < 0 || pos + 1 >= text.size())
        return 0;
    const int high = hexDigit(text.at(pos));
    const int low = hexDigit(text.at(pos + 1));
    if (high < 0 || low < 0)
        return 0;
    return uint(high * 16 + low);
}

uint checksumAt(const QString &text, int pos)
{
    uint sum = 0;
    for (int i = 0; i < 2 * kPayloadLength; i += 2)
        sum += pairAt(text, pos + i);
    return sum;
}

QByteArray encode(const ParameterSet &values, unsigned kindBits)
{
    QByteArray frame(kLength, '\0');
    frame[0] = char(kHeader);
    frame[kFlagsOffset] = char((switchBits(values) | kindBits) & 0xFF);
    for (const Field &field : kFields) {
        const uint v = uint(values.value(field.id));
        frame[field.offset] = char(v & 0xFF);
        if (field.width == 2)
            frame[field.offset + 1] = char((v >> 8) & 0xFF);
    }
    uint sum = 0;
    for (int i = 1; i <= kPayloadLength; ++i)
        sum += uchar(frame.at(i));
    frame[kChecksumOffset] = char(sum & 0xFF);
    frame[kLength - 1] = char(kTrailer);
    return frame;
}

QString requestText(const ParameterSet &values, int requestKind)
{
    const unsigned kind = requestKind == kReadRequest ? 0 : kWriteRequestBit;
    const QByteArray frame = encode(values, kind);
    QString text = QLatin1String("55") + QString::fromLatin1(frame.mid(1, kPayloadLength).toHex());
    const uint sum = checksum(text.mid(2)) & 0xFF;
    text += QStringLiteral("%1AA").arg(sum, 2, 16, QLatin1Char('0'));
    return text;
}

uint checksum(const QString &payloadText)
{
    return checksumAt(payloadText, 0);
}

unsigned flags(const QString &frameText)
{
    return pairAt(frameText, 2 * kFlagsOffset);
}

ParameterSet decode(const QString &frameText)
{
    ParameterSet values;
    for (const Field &field : kFields) {
        uint v = pairAt(frameText, 2 * field.offset);
        if (field.width == 2)
            v |= pairAt(frameText, 2 * (field.offset + 1)) << 8;
        values.setValue(field.id, int(v));
    }
    const unsigned f = flags(frameText);
    values.setValue(Parameter::ReversedRotation, (f & kReversedRotationBit) ? 1 : 0);
    values.setValue(Parameter::SoftStart, (f & kSoftStartBit) ? 1 : 0);
    values.setValue(Parameter::LOCKProtection, (f & kLOCKProtectionBit) ? 1 : 0);
    return values;
}

} // namespace ParameterFrame
