#include "files/parameterfile.h"
#include "parametervalues.h"
#include "referenceline.h"

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
    void strictLineSaysWhatIsWrongAndWhere_data();
    void strictLineSaysWhatIsWrongAndWhere();
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

using Kind = ParameterFile::LineProblem::Kind;
Q_DECLARE_METATYPE(Kind)

void TestParameterLine::strictLineSaysWhatIsWrongAndWhere_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("position"); // 0: no problem, or the whole line
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("fieldCount");

    QTest::newRow("start values") << "0,0,0,0,500,2500,0,1500,0,0,0,0,0,0" << Kind::Empty << 0
                                  << QString() << -1;
    QTest::newRow("every maximum") << "255,255,255,255,2500,2500,50,2500,399,255,255,1,1,1"
                                   << Kind::Empty << 0 << QString() << -1;
    QTest::newRow("empty line") << "" << Kind::Empty << 0 << QString() << 0;
    QTest::newRow("thirteen fields")
        << "1,2,3,4,500,6,7,500,9,10,11,0,1" << Kind::FieldCount << 0 << QString() << 13;
    QTest::newRow("fifteen fields")
        << "0,0,0,0,500,2500,0,1500,0,0,0,0,0,0,0" << Kind::FieldCount << 0 << QString() << 15;
    QTest::newRow("plus sign") << "0,+5,0,0,500,2500,0,1500,0,0,0,0,0,0" << Kind::NotDecimal << 2
                               << "+5" << 14;
    QTest::newRow("blank") << "0,0, 7,0,500,2500,0,1500,0,0,0,0,0,0" << Kind::NotDecimal << 3
                           << " 7" << 14;
    // A line end is no digit, also at a field's end (as "set NAME=$'5\n'" gives it).
    QTest::newRow("line end after the digits")
        << "0,0,0,0,500,2500,0,1500,0,0,0,0,0\n,0" << Kind::NotDecimal << 13 << "0\n" << 14;
    QTest::newRow("empty field") << "0,0,0,0,500,2500,0,,0,0,0,0,0,0" << Kind::NotDecimal << 8
                                 << QString() << 14;
    QTest::newRow("below range") << "0,0,0,0,499,2500,0,1500,0,0,0,0,0,0" << Kind::OutOfRange << 5
                                 << "499" << 14;
    QTest::newRow("above range") << "0,0,0,0,500,2500,51,1500,0,0,0,0,0,0" << Kind::OutOfRange << 7
                                 << "51" << 14;
    QTest::newRow("too big for an int") << "0,0,0,0,500,2500,0,1500,99999999999,0,0,0,0,0"
                                        << Kind::OutOfRange << 9 << "99999999999" << 14;
    QTest::newRow("switch 2") << "0,0,0,0,500,2500,0,1500,0,0,0,0,0,2" << Kind::OutOfRange << 14
                              << "2" << 14;
    QTest::newRow("first bad field wins")
        << "x,0,0,0,0,2500,0,1500,0,0,0,0,0,2" << Kind::NotDecimal << 1 << "x" << 14;
}

void TestParameterLine::strictLineSaysWhatIsWrongAndWhere()
{
    QFETCH(QString, line);
    QFETCH(Kind, kind);
    QFETCH(int, position);
    QFETCH(QString, value);
    QFETCH(int, fieldCount);

    ParameterFile::LineProblem problem;
    const std::optional<ParameterSet> parsed = ParameterFile::parseLineStrict(line, &problem);
    QCOMPARE(parsed.has_value(), fieldCount < 0);
    if (parsed) {
        // A fit line gives the values it holds.
        QCOMPARE(parsed, ReferenceLine::values(line));
        return;
    }
    QCOMPARE(int(problem.kind), int(kind));
    QCOMPARE(problem.position, position);
    QCOMPARE(problem.value, value);
    QCOMPARE(problem.fieldCount, fieldCount);
}

QTEST_APPLESS_MAIN(TestParameterLine)
#include "tst_parameterline.moc"
