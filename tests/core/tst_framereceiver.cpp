// The frame search on received bytes, without a port: which answers come
// out of which arrivals, and what stays buffered for the next one.

#include "parametervalues.h"
#include "protocol/framereceiver.h"
#include "referenceframe.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

using P = Parameter;
using Reference::bytes;

ParameterSet servoValues()
{
    return ParameterValues::with(Reference::startValues(), {{P::TorqueGain, 32},
                                                            {P::IntegralGain, 16},
                                                            {P::BrakeGain, 200},
                                                            {P::MinPulseWidth, 900},
                                                            {P::MAXDuty, 399},
                                                            {P::NeutralPoint, 1520},
                                                            {P::SoftStart, 1}});
}

QByteArray answer(unsigned flags, ParameterSet v = servoValues())
{
    return Reference::encode(v, flags);
}

// 0x55, then `distance - 1` filler bytes, such that the 0xAA at byte
// 19 - distance of `frame` lands where the false candidate's trailer is
// looked for. The candidate's checksum fails.
QByteArray falseHeaderBefore(const QByteArray &frame, int distance)
{
    QByteArray prefix(distance, '\0');
    prefix[0] = char(0x55);
    const QByteArray candidate = (prefix + frame).left(20);
    if (distance > 1 && Reference::withChecksum(candidate).at(18) == candidate.at(18))
        prefix[distance - 1] = char(1);
    return prefix;
}

QString describe(const QVector<FrameReceiver::Answer> &answers)
{
    QStringList parts;
    for (const FrameReceiver::Answer &a : answers)
        parts.append((a.kind == FrameReceiver::AnswerKind::ReadAnswer ? QLatin1String("R:")
                                                                      : QLatin1String("W:")) +
                     a.frameText);
    return parts.join(QLatin1Char(' '));
}

QString read(const QByteArray &frame)
{
    return QLatin1String("R:") + QString::fromLatin1(frame.toHex().toUpper());
}

QString write(const QByteArray &frame)
{
    return QLatin1String("W:") + QString::fromLatin1(frame.toHex().toUpper());
}

// The search spelled out step by step on the front of the buffer: a
// candidate that fails its checksum costs one byte, one that passes is
// consumed whole.
QString literalTakeAnswers(QString &buffer)
{
    QStringList out;
    while (buffer.size() > 39) {
        if (buffer.mid(0, 2) != QLatin1String("55") || buffer.mid(38, 2) != QLatin1String("AA")) {
            buffer.remove(0, 2);
            continue;
        }
        const QString frame = buffer.left(40);
        uint sum = 0;
        for (int p = 2; p < 36; p += 2)
            sum += frame.mid(p, 2).toUInt(nullptr, 16);
        if ((sum & 0xFF) != frame.mid(36, 2).toUInt(nullptr, 16)) {
            buffer.remove(0, 2);
            continue;
        }
        buffer.remove(0, 40);
        const uint flags = frame.mid(6, 2).toUInt(nullptr, 16);
        if (flags & 0x08)
            out.append(QLatin1String("R:") + frame);
        else if (flags & 0x04)
            out.append(QLatin1String("W:") + frame);
    }
    return out.join(QLatin1Char(' '));
}

QByteArray randomStream(QRandomGenerator &random)
{
    static const unsigned kFlags[] = {0x00, 0x02, 0x04, 0x08, 0x0C, 0x31, 0x3A, 0xC4};
    QByteArray stream;
    const int segments = int(random.bounded(1, 12));
    for (int s = 0; s < segments; ++s) {
        QByteArray frame(20, '\0');
        frame[0] = char(0x55);
        for (int i = 1; i < 18; ++i)
            frame[i] = char(random.bounded(4) == 0 ? 0xAA : random.bounded(256));
        frame[3] = char(kFlags[random.bounded(8)]);
        frame[19] = char(0xAA);
        frame = Reference::withChecksum(frame);
        switch (random.bounded(5)) {
        case 0: // a frame as sent
            stream += frame;
            break;
        case 1: // a false candidate
            frame[18] = char(frame.at(18) + 1);
            stream += frame;
            break;
        case 2: // the front of a frame that never ends
            stream += frame.left(int(random.bounded(1, 20)));
            break;
        default: { // noise rich in header and trailer bytes
            const int n = int(random.bounded(1, 30));
            for (int i = 0; i < n; ++i) {
                const quint32 r = random.bounded(3);
                stream += char(r == 0 ? 0x55 : r == 1 ? 0xAA : random.bounded(256));
            }
        }
        }
    }
    return stream;
}

} // namespace

class FrameReceiverTest : public QObject
{
    Q_OBJECT

private slots:
    void answersPerArrival_data();
    void answersPerArrival();
    void everySplitPointGivesTheSameAnswers();
    void matchesTheStepByStepSearch();
    void requestsAreFramesButNotAnswers();
};

void FrameReceiverTest::answersPerArrival_data()
{
    QTest::addColumn<QByteArrayList>("arrivals");
    QTest::addColumn<QStringList>("expected"); // answers of each arrival

    const QByteArray r = answer(0x08);
    const QByteArray w = answer(0x04, Reference::startValues());
    const QString none;

    QTest::newRow("read answer") << QByteArrayList{r} << QStringList{read(r)};
    QTest::newRow("noise then answer")
        << QByteArrayList{bytes("01 02 03") + r} << QStringList{read(r)};
    QTest::newRow("noise with header and trailer bytes then answer")
        << QByteArrayList{bytes("55 AA 55 00 AA 55") + r} << QStringList{read(r)};
    QTest::newRow("header without trailer then answer")
        << QByteArrayList{bytes("55 00 00") + r} << QStringList{read(r)};
    QTest::newRow("two answers in one arrival, in order")
        << QByteArrayList{r + w} << QStringList{read(r) + QLatin1Char(' ') + write(w)};
    const QByteArray both = answer(0x0C);
    QTest::newRow("flags 0x0C: read answer only")
        << QByteArrayList{both} << QStringList{read(both)};
    QTest::newRow("flags 0x04: write answer") << QByteArrayList{w} << QStringList{write(w)};
    const QByteArray high = answer(0xCA);
    QTest::newRow("bits 1, 6, 7 not examined") << QByteArrayList{high} << QStringList{read(high)};
    QTest::newRow("read request echo ignored") << QByteArrayList{answer(0x00)} << QStringList{none};
    QTest::newRow("write request echo ignored")
        << QByteArrayList{answer(0x02)} << QStringList{none};
    QTest::newRow("echo consumed whole, answer behind it")
        << QByteArrayList{answer(0x02) + r} << QStringList{read(r)};

    QByteArray falseFrame = r;
    falseFrame[18] = char(falseFrame.at(18) ^ 0x01);
    QTest::newRow("false header, then a real frame")
        << QByteArrayList{falseFrame + r} << QStringList{read(r)};
    QTest::newRow("only a false header") << QByteArrayList{falseFrame} << QStringList{none};

    ParameterSet v = servoValues();
    v.setValue(P::MAXDuty, 0xAA8F); // byte 14 is 0xAA
    const QByteArray inside14 = answer(0x08, v);
    QTest::newRow("false header 5 bytes before a real frame")
        << QByteArrayList{falseHeaderBefore(inside14, 5) + inside14} << QStringList{read(inside14)};
    v = servoValues();
    v.setValue(P::NeutralPoint, 0x05AA); // byte 16 is 0xAA
    const QByteArray inside16 = answer(0x04, v);
    QTest::newRow("false header 3 bytes before a real frame")
        << QByteArrayList{falseHeaderBefore(inside16, 3) + inside16}
        << QStringList{write(inside16)};
    // The real frame's own checksum byte 0xAA is the false trailer.
    v = servoValues();
    v.setValue(P::TorqueGain, 0);
    v.setValue(P::IntegralGain, 0);
    QByteArray tuned = answer(0x08, v);
    v.setValue(P::TorqueGain, (0xAA - uchar(tuned.at(18))) & 0xFF);
    tuned = answer(0x08, v);
    QTest::newRow("false header 1 byte before a real frame")
        << QByteArrayList{falseHeaderBefore(tuned, 1) + tuned} << QStringList{read(tuned)};

    QTest::newRow("7 then 13 bytes")
        << QByteArrayList{r.left(7), r.mid(7)} << QStringList{none, read(r)};
    QTest::newRow("19 bytes wait for the 20th")
        << QByteArrayList{r.left(19), r.right(1)} << QStringList{none, read(r)};
    QTest::newRow("19 bytes of noise, then an answer")
        << QByteArrayList{QByteArray(19, '\x11'), r} << QStringList{none, read(r)};
    QTest::newRow("answer, then half of the next")
        << QByteArrayList{r + w.left(10), w.mid(10)} << QStringList{read(r), write(w)};

    v = servoValues();
    v.setValue(P::TorqueGain, 0);
    v.setValue(P::IntegralGain, 0);
    const QByteArray zeroSum0 = answer(0x08, v);
    // The sum becomes a multiple of 256.
    v.setValue(P::TorqueGain, 0x100 - uchar(zeroSum0.at(18)));
    const QByteArray wraps = answer(0x08, v);
    QTest::newRow("checksum 0x00") << QByteArrayList{wraps} << QStringList{read(wraps)};
    v = servoValues();
    v.setValue(P::TorqueGain, 0x55);
    v.setValue(P::IntegralGain, 0xAA);
    v.setValue(P::NeutralPoint, 0xAA55);
    const QByteArray marked = answer(0x08, v);
    QTest::newRow("0x55 and 0xAA in the payload")
        << QByteArrayList{marked} << QStringList{read(marked)};
}

void FrameReceiverTest::answersPerArrival()
{
    QFETCH(QByteArrayList, arrivals);
    QFETCH(QStringList, expected);
    QCOMPARE(arrivals.size(), expected.size());

    QString buffer;
    for (int i = 0; i < arrivals.size(); ++i) {
        FrameReceiver::appendBytes(buffer, arrivals.at(i));
        QCOMPARE(describe(FrameReceiver::takeAnswers(buffer)), expected.at(i));
        QVERIFY2(buffer.size() <= 38, qPrintable(buffer));
        QCOMPARE(buffer.size() % 2, 0);
    }
}

void FrameReceiverTest::everySplitPointGivesTheSameAnswers()
{
    ParameterSet v = servoValues();
    v.setValue(P::MAXDuty, 0xAA8F);
    const QByteArray inside = answer(0x08, v);
    const QByteArray stream = bytes("00 55 AA 13") + falseHeaderBefore(inside, 5) + inside +
                              answer(0x02) + answer(0x04) + bytes("55 55") + answer(0x0C);

    QString whole;
    FrameReceiver::appendBytes(whole, stream);
    const QString expected = describe(FrameReceiver::takeAnswers(whole));
    QCOMPARE(expected.count(QLatin1Char(':')), 3);

    for (int cut = 1; cut < stream.size(); ++cut) {
        QString buffer;
        FrameReceiver::appendBytes(buffer, stream.left(cut));
        QStringList got{describe(FrameReceiver::takeAnswers(buffer))};
        QVERIFY(buffer.size() <= 38);
        FrameReceiver::appendBytes(buffer, stream.mid(cut));
        got.append(describe(FrameReceiver::takeAnswers(buffer)));
        got.removeAll(QString());
        QCOMPARE(got.join(QLatin1Char(' ')), expected);
        QCOMPARE(buffer, whole);
    }
}

void FrameReceiverTest::matchesTheStepByStepSearch()
{
    QRandomGenerator random(4242);
    for (int round = 0; round < 300; ++round) {
        const QByteArray stream = randomStream(random);
        QString buffer;
        QString literal;
        int pos = 0;
        while (pos < stream.size()) {
            const int size = int(random.bounded(1, 60));
            const QByteArray arrival = stream.mid(pos, size);
            pos += size;
            FrameReceiver::appendBytes(buffer, arrival);
            literal += QString::fromLatin1(arrival.toHex().toUpper());
            QCOMPARE(describe(FrameReceiver::takeAnswers(buffer)), literalTakeAnswers(literal));
            QCOMPARE(buffer, literal);
        }
    }
}

// The simulated servo finds requests with the same search.
void FrameReceiverTest::requestsAreFramesButNotAnswers()
{
    const QByteArray readRequest = answer(0x00, Reference::startValues());
    const QByteArray writeRequest = answer(0x33, Reference::startValues());
    QByteArray bad = answer(0x02);
    bad[18] = char(bad.at(18) + 1);
    QString buffer;
    FrameReceiver::appendBytes(buffer, bytes("55 01") + readRequest + bad + writeRequest +
                                           answer(0x08, Reference::startValues()) +
                                           readRequest.left(12));

    const QVector<FrameReceiver::Frame> frames = FrameReceiver::takeFrames(buffer);
    QCOMPARE(frames.size(), 3);
    QCOMPARE(frames.at(0).frameText, QString::fromLatin1(readRequest.toHex().toUpper()));
    QCOMPARE(frames.at(0).flags, 0x00u);
    QCOMPARE(frames.at(1).frameText, QString::fromLatin1(writeRequest.toHex().toUpper()));
    QCOMPARE(frames.at(1).flags, 0x33u);
    QCOMPARE(frames.at(2).flags, 0x08u);
    QCOMPARE(buffer, QString::fromLatin1(readRequest.left(12).toHex().toUpper()));
}

QTEST_GUILESS_MAIN(FrameReceiverTest)
#include "tst_framereceiver.moc"
