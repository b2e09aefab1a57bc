// The frame codec on its own: requests from a parameter set against worked
// examples, what a servo decodes from them, and the checksum.

#include "frameexamples.h"
#include "protocol/parameterframe.h"

#include <QtTest>

class ParameterFrameTest : public QObject
{
    Q_OBJECT

private slots:
    void requestBytesFromParameterSet_data() { FrameExamples::addRequestRows(); }
    void requestBytesFromParameterSet();
    void checksumSumsPairsUnreduced_data() { FrameExamples::addChecksumRows(); }
    void checksumSumsPairsUnreduced();
};

void ParameterFrameTest::requestBytesFromParameterSet()
{
    QFETCH(ParameterSet, controls);
    QFETCH(int, requestKind);
    QFETCH(QByteArray, expected);

    const QString expectedText = FrameExamples::requestTextOf(expected);
    const unsigned kindBits = requestKind == 0 ? 0 : ParameterFrame::kWriteRequestBit;
    QCOMPARE(ParameterFrame::encode(controls, kindBits), expected);
    QCOMPARE(ParameterFrame::requestText(controls, requestKind), expectedText);
    // What the servo reads back out of it.
    QCOMPARE(ParameterFrame::decode(expectedText), controls);
    QCOMPARE(ParameterFrame::flags(expectedText), unsigned(uchar(expected.at(3))));
}

void ParameterFrameTest::checksumSumsPairsUnreduced()
{
    QFETCH(QString, payloadText);
    QFETCH(uint, sum);
    QCOMPARE(ParameterFrame::checksum(payloadText), sum);
}

QTEST_GUILESS_MAIN(ParameterFrameTest)
#include "tst_parameterframe.moc"
