#include "protocol/framereceiver.h"

#include "protocol/parameterframe.h"

namespace FrameReceiver {

namespace {

bool pairIs(const QString &text, int pos, char high, char low)
{
    return text.at(pos) == QLatin1Char(high) && text.at(pos + 1) == QLatin1Char(low);
}

} // namespace

void appendBytes(QString &buffer, const QByteArray &bytes)
{
    buffer += QString::fromLatin1(bytes.toHex().toUpper());
}

QVector<Answer> takeAnswers(QString &buffer)
{
    using namespace ParameterFrame;
    constexpr int checksumPos = 2 * kChecksumOffset;
    constexpr int trailerPos = 2 * (kLength - 1);

    QVector<Answer> answers;
    const int size = buffer.size();
    int pos = 0;
    while (size - pos >= kTextLength) {
        if (!pairIs(buffer, pos, '5', '5') || !pairIs(buffer, pos + trailerPos, 'A', 'A')) {
            pos += 2;
            continue;
        }
        const uint sum = checksumAt(buffer, pos + 2) & 0xFF;
        if (sum != pairAt(buffer, pos + checksumPos)) {
            pos += 2;
            continue;
        }
        const unsigned f = pairAt(buffer, pos + 2 * kFlagsOffset);
        if (f & kReadAnswerBit)
            answers.append({buffer.mid(pos, kTextLength), AnswerKind::ReadAnswer});
        else if (f & kWriteAnswerBit)
            answers.append({buffer.mid(pos, kTextLength), AnswerKind::WriteAnswer});
        pos += kTextLength;
    }
    buffer.remove(0, pos);
    return answers;
}

} // namespace FrameReceiver
