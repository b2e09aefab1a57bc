#include "files/parameterfile.h"
#include "parametervalues.h"

#include <QtTest>

#include <optional>

using ParameterValues::of;

// What the line parser does on its own; what a window makes
// of the values (clamping, switches) is checked through the window.
class TestParameterLine : public QObject
{
    Q_OBJECT

private slots:
    void parseLineKeepsValuesUnclampedAndPositional_data();
    void parseLineKeepsValuesUnclampedAndPositional();
};

void TestParameterLine::parseLineKeepsValuesUnclampedAndPositional_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<std::optional<ParameterSet>>("expected");

    QTest::newRow("start values") << "0,0,0,0,500,2500,0,1500,0,0,0,0,0,0"
                                  << std::optional(
                                         of(0, 0, 0, 0, 500, 2500, 0, 1500, 0, 0, 0, 0, 0, 0));
    // The controls clamp; the parsed set carries the file's numbers as they are.
    QTest::newRow("out of range stays unclamped")
        << "3000,-1,256,0,0,9999,51,-500,400,0,0,2,-1,7"
        << std::optional(of(3000, -1, 256, 0, 0, 9999, 51, -500, 400, 0, 0, 2, -1, 7));
    QTest::newRow("empty fields keep their place")
        << ",1,,3,,5,,7,,9,,11,,13"
        << std::optional(of(0, 1, 0, 3, 0, 5, 0, 7, 0, 9, 0, 11, 0, 13));
    // Base 10 only: a hex prefix, a fraction and a number too big for an
    // int are not integers and count as 0.
    QTest::newRow("non-decimal fields count as 0")
        << "0x1F,1e3,2.5,99999999999,a,1,1,1,1,1,1,1,1,1"
        << std::optional(of(0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1));
    QTest::newRow("fields after the fourteenth are ignored")
        << "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"
        << std::optional(of(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14));
    QTest::newRow("thirteen fields")
        << "1,2,3,4,5,6,7,8,9,10,11,12,13" << std::optional<ParameterSet>();
    QTest::newRow("thirteen fields with trailing comma")
        << "1,2,3,4,5,6,7,8,9,10,11,12,13,"
        << std::optional(of(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0));
    QTest::newRow("empty line") << "" << std::optional<ParameterSet>();
}

void TestParameterLine::parseLineKeepsValuesUnclampedAndPositional()
{
    QFETCH(QString, line);
    QFETCH(std::optional<ParameterSet>, expected);

    const std::optional<ParameterSet> parsed = ParameterFile::parseLine(line);
    QCOMPARE(parsed.has_value(), expected.has_value());
    if (!expected)
        return;
    QCOMPARE(*parsed, *expected);
}

QTEST_APPLESS_MAIN(TestParameterLine)
#include "tst_parameterline.moc"
