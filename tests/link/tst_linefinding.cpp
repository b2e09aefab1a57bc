// What came back after one read request, told apart without a port: the
// request, the arrivals and their times go in, the finding comes out.

#include "doctor/linefinding.h"
#include "parametervalues.h"
#include "referenceframe.h"

#include <QtTest>

using Arrivals = QVector<LineFinding::Arrival>;
using Kind = LineFinding::Kind;
Q_DECLARE_METATYPE(Arrivals)
Q_DECLARE_METATYPE(LineFinding::Kind)

namespace {

const QByteArray kRequest = Reference::encode(Reference::startValues(), 0);

QByteArray answer(unsigned kind)
{
    ParameterSet values = Reference::startValues();
    values.setValue(Parameter::NeutralPoint, 1520);
    return Reference::encode(values, kind);
}

QByteArray badChecksum(QByteArray frame)
{
    frame[18] = char(uchar(frame.at(18)) + 1);
    return frame;
}

// Sixteen and more bytes that hold no header: what another speed gives.
const QByteArray kGarble =
    Reference::bytes("3F 8E B4 B1 A7 14 D5 11 AD D9 BE 2F 6F 26 BE 8E 01 02");

} // namespace

class TestLineFinding : public QObject
{
    Q_OBJECT

private slots:
    void whatCameBackToARequest_data();
    void whatCameBackToARequest();
};

void TestLineFinding::whatCameBackToARequest_data()
{
    QTest::addColumn<Arrivals>("arrivals");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("firstBytes");
    QTest::addColumn<double>("roundTripMs");

    const QByteArray read = answer(Reference::kReadAnswer);
    const QByteArray none;
    QTest::newRow("nothing") << Arrivals{} << Kind::Nothing << none << 0.0;
    QTest::newRow("the request's echo, in two pieces")
        << Arrivals{{90, kRequest.left(7)}, {150, kRequest.mid(7)}} << Kind::EchoOnly << none
        << 0.0;
    QTest::newRow("bytes that make no frame")
        << Arrivals{{2000, kGarble}} << Kind::NoFrame << kGarble.left(16) << 0.0;
    QTest::newRow("the echo, then bytes that make no frame")
        << Arrivals{{100, kRequest}, {2000, kGarble.left(5)}} << Kind::NoFrame << kGarble.left(5)
        << 0.0;
    QTest::newRow("an answer whose checksum fails")
        << Arrivals{{100, kRequest}, {1500, badChecksum(read)}} << Kind::BadChecksum << none << 0.0;
    QTest::newRow("a write answer to a read request")
        << Arrivals{{1500, answer(Reference::kWriteAnswer)}} << Kind::OtherKind << none << 0.0;
    QTest::newRow("a noisy frame, then the answer: answered")
        << Arrivals{{900, badChecksum(read)}, {1700, read}} << Kind::Answered << none << 1.7;
    QTest::newRow("the echo, then the answer in time")
        << Arrivals{{100, kRequest}, {2500, read}} << Kind::Answered << none << 2.5;
    // Four times the 3.96 ms of the two frames on the wire is 15.84 ms.
    QTest::newRow("the answer just in time")
        << Arrivals{{1000, read.left(10)}, {15800, read.mid(10)}} << Kind::Answered << none << 15.8;
    QTest::newRow("the answer held back by the adapter")
        << Arrivals{{15900, read.left(10)}, {31900, read.mid(10)}} << Kind::Late << none << 31.9;
}

void TestLineFinding::whatCameBackToARequest()
{
    QFETCH(Arrivals, arrivals);
    QFETCH(Kind, kind);
    QFETCH(QByteArray, firstBytes);
    QFETCH(double, roundTripMs);
    const LineFinding finding =
        LineFinding::of(kRequest, FrameReceiver::AnswerKind::ReadAnswer, arrivals);
    QCOMPARE(int(finding.kind), int(kind));
    QCOMPARE(finding.firstBytes, firstBytes);
    QCOMPARE(finding.roundTripMs, roundTripMs);
}

QTEST_GUILESS_MAIN(TestLineFinding)
#include "tst_linefinding.moc"
