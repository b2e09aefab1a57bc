#ifndef NIMBAL_LINEFINDING_H
#define NIMBAL_LINEFINDING_H

#include "protocol/framereceiver.h"

#include <QByteArray>
#include <QVector>

// What the bytes that came back after one request say about the line, in
// the order a person looks for the cause when a servo does not answer. A
// pure function of what was sent and what came back, with the time each
// piece arrived, so that the client, the production loop and the doctor
// judge a line alike.
struct LineFinding
{
    // Bytes as they arrived, and when: microseconds after the request went out.
    struct Arrival
    {
        qint64 afterUs;
        QByteArray bytes;
    };

    enum class Kind
    {
        Nothing,     // nothing came back: no power, not plugged in, TX and RX not crossed
        EchoOnly,    // only the request came back: a one-wire adapter, and no servo answered
        NoFrame,     // bytes, but never a frame: the wrong speed, or noise
        BadChecksum, // frames that fail their checksum: a noisy line
        OtherKind,   // a valid frame, but not an answer of the kind asked for
        Late,        // the answer, but later than kLateFactor times its wire time
        Answered,    // the answer, in time
    };

    // An answer later than this many times the time the request and the
    // answer take on the wire is late.
    static constexpr int kLateFactor = 4;
    // Bytes of a frame that does not come, shown as what came instead.
    static constexpr int kShownBytes = 16;

    Kind kind = Kind::Nothing;
    // NoFrame: the first bytes that came back, the request's echo left out.
    QByteArray firstBytes;
    // Late, Answered: from the request to the arrival that completed the answer.
    double roundTripMs = 0;

    // `request` as sent, answered by a frame of the kind `expected`.
    static LineFinding of(const QByteArray &request, FrameReceiver::AnswerKind expected,
                          const QVector<Arrival> &arrivals);

    // The time a request and its answer take on the wire at the servo's
    // line settings: 40 bytes of 11 bits at 111100 baud, 3.96 ms.
    static double wireMs();
};

#endif
