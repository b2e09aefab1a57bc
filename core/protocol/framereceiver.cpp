#include "protocol/framereceiver.h"

#include "protocol/parameterframe.h"

namespace FrameReceiver {

namespace {

bool pairIs(const QString &text, int pos, char high, char low)
{
    return text.at(pos) == QLatin1Char(high) && text.at(pos + 1) == QLatin1Char(low);
}

} // namespace

AnswerKind answerKind(unsigned flags)
{
    using namespace ParameterFrame;
    if (flags & kReadAnswerBit)
        return AnswerKind::ReadAnswer;
    if (flags & kWriteAnswerBit)
        return AnswerKind::WriteAnswer;
    return AnswerKind::NotAnAnswer;
}

void appendBytes(QString &buffer, const QByteArray &bytes)
{
    buffer += QString::fromLatin1(bytes.toHex().toUpper());
}

QVector<Frame> takeFrames(QString &buffer, int *badChecksums)
{
    using namespace ParameterFrame;
    constexpr int checksumPos = 2 * kChecksumOffset;
    constexpr int trailerPos = 2 * (kLength - 1);

    QVector<Frame> frames;
    const int size = buffer.size();
    int pos = 0;
    while (size - pos >= kTextLength) {
        if (!pairIs(buffer, pos, '5', '5') || !pairIs(buffer, pos + trailerPos, 'A', 'A')) {
            pos += 2;
            continue;
        }
        // A false header costs one byte only: a real frame may start inside it.
        const uint sum = checksumAt(buffer, pos + 2) & 0xFF;
        if (sum != pairAt(buffer, pos + checksumPos)) {
            if (badChecksums)
                ++*badChecksums;
            pos += 2;
            continue;
        }
        frames.append({buffer.mid(pos, kTextLength), pairAt(buffer, pos + 2 * kFlagsOffset)});
        pos += kTextLength;
    }
    // One cut per call keeps the search linear in the buffer's length.
    buffer.remove(0, pos);
    return frames;
}

QVector<Answer> takeAnswers(QString &buffer)
{
    QVector<Answer> answers;
    const QVector<Frame> frames = takeFrames(buffer);
    for (const Frame &frame : frames) {
        const AnswerKind kind = answerKind(frame.flags);
        if (kind != AnswerKind::NotAnAnswer)
            answers.append({frame.frameText, kind});
    }
    return answers;
}

} // namespace FrameReceiver
