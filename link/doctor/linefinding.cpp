#include "doctor/linefinding.h"

#include "port/linesettings.h"
#include "protocol/parameterframe.h"

LineFinding LineFinding::of(const QByteArray &request, FrameReceiver::AnswerKind expected,
                            const QVector<Arrival> &arrivals)
{
    LineFinding finding;
    QString buffer;
    QByteArray all;
    bool otherFrame = false;
    int badChecksums = 0;
    // Arrival by arrival, as a client waiting for the answer takes them.
    for (const Arrival &arrival : arrivals) {
        all += arrival.bytes;
        FrameReceiver::appendBytes(buffer, arrival.bytes);
        const QVector<FrameReceiver::Frame> frames = FrameReceiver::takeFrames(buffer, &badChecksums);
        for (const FrameReceiver::Frame &frame : frames) {
            if (FrameReceiver::answerKind(frame.flags) == expected) {
                finding.roundTripMs = double(arrival.afterUs) / 1000.0;
                finding.kind =
                    finding.roundTripMs > kLateFactor * wireMs() ? Kind::Late : Kind::Answered;
                return finding;
            }
            otherFrame = otherFrame || QByteArray::fromHex(frame.frameText.toLatin1()) != request;
        }
    }
    QByteArray rest = all;
    rest.replace(request, QByteArray());
    if (otherFrame)
        finding.kind = Kind::OtherKind;
    else if (badChecksums > 0)
        finding.kind = Kind::BadChecksum;
    else if (all.isEmpty())
        finding.kind = Kind::Nothing;
    else if (rest.isEmpty())
        finding.kind = Kind::EchoOnly;
    else
        finding.kind = Kind::NoFrame;
    if (finding.kind == Kind::NoFrame)
        finding.firstBytes = rest.left(kShownBytes);
    return finding;
}

double LineFinding::wireMs()
{
    // A start bit, the data bits and the stop bits; no parity.
    constexpr int kBitsPerByte = 1 + NIMBAL_DATA_BITS + NIMBAL_STOP_BITS;
    return 1000.0 * 2 * ParameterFrame::kLength * kBitsPerByte / LineSettings::kBaudRate;
}
