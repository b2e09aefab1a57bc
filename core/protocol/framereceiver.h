#ifndef NIMBAL_FRAMERECEIVER_H
#define NIMBAL_FRAMERECEIVER_H

#include <QByteArray>
#include <QString>
#include <QVector>

// Cuts parameter frames out of the hex text of received bytes.
namespace FrameReceiver {

enum class AnswerKind
{
    ReadAnswer,
    WriteAnswer,
    NotAnAnswer, // a request, such as the tool's own coming back on an echoing line
};

// What a frame with this flags byte is: a read answer when it carries the
// read bit (0x08), else a write answer when it carries the write bit
// (0x04); the write bit is looked at only when the read bit is clear, so a
// frame with both is a read answer.
AnswerKind answerKind(unsigned flags);

struct Answer
{
    QString frameText; // 40 upper-case hex digits
    AnswerKind kind;
};

// A frame that passed header, trailer and checksum, whatever its flags.
struct Frame
{
    QString frameText; // 40 upper-case hex digits
    unsigned flags;
};

// Appends the bytes to `buffer` as upper-case hex text.
void appendBytes(QString &buffer, const QByteArray &bytes);

// Takes every whole frame out of `buffer` and returns those whose checksum
// holds, in order of arrival: requests and answers alike. The search is the
// one described below for takeAnswers. With `badChecksums`, adds to it the
// header-and-trailer pairs passed over for a checksum that fails.
QVector<Frame> takeFrames(QString &buffer, int *badChecksums = nullptr);

// Takes every whole frame out of `buffer` and returns the valid answers in
// order of arrival. A candidate is a "55" pair with "AA" nineteen bytes
// later. One whose checksum holds is consumed whole; it is kept when
// answerKind() calls it an answer and dropped otherwise.
// One whose checksum fails costs only its first byte, so a real frame that
// starts inside it is still found. Whatever precedes a candidate is noise.
// At most 19 bytes (38 characters) stay behind for the next arrival.
//
// The buffer is scanned with an index and its consumed front cut once, so
// one call takes time linear in the buffer's length.
QVector<Answer> takeAnswers(QString &buffer);

} // namespace FrameReceiver

#endif
