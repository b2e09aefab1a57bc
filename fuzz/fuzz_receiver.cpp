// Frame search and decode on arbitrary bytes in arbitrary splits, as the
// receiver sees them: hex text appended to the buffer, answers taken out.

#include "model/parameterset.h"
#include "protocol/framereceiver.h"
#include "protocol/parameterframe.h"

#include "arrivals.h"
#include "fuzzcheck.h"

#include <cstdint>

namespace {

bool isHexUpper(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

void checkAnswer(const FrameReceiver::Answer &answer)
{
    using namespace ParameterFrame;
    const QString &text = answer.frameText;
    FUZZ_CHECK(text.size() == kTextLength);
    for (QChar c : text)
        FUZZ_CHECK(isHexUpper(c));
    FUZZ_CHECK(text.startsWith(QLatin1String("55")));
    FUZZ_CHECK(text.endsWith(QLatin1String("AA")));
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    unsigned sum = 0;
    for (int i = 1; i <= kPayloadLength; ++i)
        sum += uchar(bytes.at(i));
    FUZZ_CHECK((sum & 0xFF) == uchar(bytes.at(kChecksumOffset)));
    const unsigned f = uchar(bytes.at(kFlagsOffset));
    if (answer.kind == FrameReceiver::AnswerKind::ReadAnswer)
        FUZZ_CHECK(f & kReadAnswerBit);
    else
        FUZZ_CHECK(!(f & kReadAnswerBit) && (f & kWriteAnswerBit));

    // Decoding gives back what the bytes carry, and encoding that again
    // gives the same frame.
    const ParameterSet values = decode(text);
    FUZZ_CHECK(encode(values, f & ~(kReversedRotationBit | kLOCKProtectionBit | kSoftStartBit)) ==
               bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString buffer;
    forEachArrival(data, size, [&](const QByteArray &arrival) {
        FrameReceiver::appendBytes(buffer, arrival);
        const auto answers = FrameReceiver::takeAnswers(buffer);
        FUZZ_CHECK(buffer.size() < ParameterFrame::kTextLength);
        FUZZ_CHECK(buffer.size() % 2 == 0);
        for (const FrameReceiver::Answer &answer : answers)
            checkAnswer(answer);
    });
    return 0;
}
