// The fourteen parameter controls: ranges, start values, clamping and the
// plus and minus buttons, driven by real clicks.

#include "app/widget.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <iterator>

namespace {

struct Numeric
{
    const char *name;
    int minimum;
    int maximum;
    int start;
};

const Numeric kNumeric[] = {
    {"TorqueGain", 0, 255, 0},
    {"BrakeGain", 0, 255, 0},
    {"IntegralGain", 0, 255, 0},
    {"IntegralSpeed", 0, 255, 0},
    {"MAXDuty", 0, 399, 0},
    {"LeftAngleCoefficient", 0, 255, 0},
    {"RightAngleCoefficient", 0, 255, 0},
    {"MinPulseWidth", 500, 2500, 500},
    {"MAXPulseWidth", 500, 2500, 2500},
    {"Sensitivity", 0, 50, 0},
    {"NeutralPoint", 500, 2500, 1500},
};

const char *const kSwitches[] = {"ReversedRotation", "SoftStart", "LOCKProtection"};

using WindowTest::checkBox;
using WindowTest::spinBox;

// All fourteen values: the spin boxes, then the switches as 0 or 1.
QVector<int> snapshot(const Widget &w)
{
    QVector<int> values;
    for (const Numeric &n : kNumeric)
        values.append(spinBox(w, QLatin1String(n.name))->value());
    for (const char *name : kSwitches)
        values.append(checkBox(w, QLatin1String(name))->isChecked() ? 1 : 0);
    return values;
}

int indexOfControl(const QString &name)
{
    for (int i = 0; i < int(std::size(kNumeric)); ++i) {
        if (name == QLatin1String(kNumeric[i].name))
            return i;
    }
    for (int i = 0; i < int(std::size(kSwitches)); ++i) {
        if (name == QLatin1String(kSwitches[i]))
            return int(std::size(kNumeric)) + i;
    }
    return -1;
}

} // namespace

class TestParameterControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void rangesAndStartValues_data();
    void rangesAndStartValues();
    void switchesStartUnchecked();
    void writesAreClampedToTheRange_data();
    void writesAreClampedToTheRange();
    void clicksStepByOneWithinTheRange_data();
    void clicksStepByOneWithinTheRange();
    void clickChangesOnlyItsOwnParameter_data();
    void clickChangesOnlyItsOwnParameter();
    void minPulseWidthMayExceedMaxPulseWidth();

private:
    // One shown window for the checks that click; each sets the values it
    // starts from.
    Widget *window = nullptr;
};

void TestParameterControls::initTestCase()
{
    window = new Widget;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void TestParameterControls::cleanupTestCase()
{
    delete window;
}

void TestParameterControls::rangesAndStartValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("start");
    for (const Numeric &n : kNumeric)
        QTest::newRow(n.name) << n.name << n.minimum << n.maximum << n.start;
}

void TestParameterControls::rangesAndStartValues()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, start);
    const Widget fresh;
    QSpinBox *spin = spinBox(fresh, name);
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), minimum);
    QCOMPARE(spin->maximum(), maximum);
    QCOMPARE(spin->singleStep(), 1);
    QCOMPARE(spin->value(), start);
    // What the user sees, and what a parameter file stores, is the bare number.
    QCOMPARE(spin->text(), QString::number(start));
    QVERIFY(!spin->wrapping());
}

void TestParameterControls::switchesStartUnchecked()
{
    const Widget fresh;
    for (const char *name : kSwitches) {
        QCheckBox *box = checkBox(fresh, QLatin1String(name));
        QVERIFY2(box, name);
        QVERIFY2(!box->isChecked(), name);
        QVERIFY2(!box->isTristate(), name);
    }
}

void TestParameterControls::writesAreClampedToTheRange_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("shown");
    QTest::newRow("MAXPulseWidth 3000") << "MAXPulseWidth" << 3000 << 2500;
    QTest::newRow("NeutralPoint 0") << "NeutralPoint" << 0 << 500;
    QTest::newRow("BrakeGain -5") << "BrakeGain" << -5 << 0;
    QTest::newRow("MAXDuty 400") << "MAXDuty" << 400 << 399;
    QTest::newRow("Sensitivity 51") << "Sensitivity" << 51 << 50;
    QTest::newRow("TorqueGain 256") << "TorqueGain" << 256 << 255;
    QTest::newRow("MinPulseWidth 499") << "MinPulseWidth" << 499 << 500;
    QTest::newRow("RightAngleCoefficient 255") << "RightAngleCoefficient" << 255 << 255;
}

void TestParameterControls::writesAreClampedToTheRange()
{
    QFETCH(QString, name);
    QFETCH(int, written);
    QFETCH(int, shown);
    QSpinBox *spin = spinBox(*window, name);
    spin->setValue(written);
    QCOMPARE(spin->value(), shown);
    QCOMPARE(spin->text(), QString::number(shown));
}

void TestParameterControls::clicksStepByOneWithinTheRange_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("direction"); // +1: plus button, -1: minus button
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("expected");
    const auto row = [](const char *tag, const char *name, int direction, int from, int clicks,
                        int expected) {
        QTest::newRow(tag) << QString(name) << direction << from << clicks << expected;
    };
    row("TorqueGain plus from 0", "TorqueGain", +1, 0, 1, 1);
    row("TorqueGain plus at 255", "TorqueGain", +1, 255, 1, 255);
    row("TorqueGain minus at 0", "TorqueGain", -1, 0, 1, 0);
    row("MinPulseWidth minus at 500", "MinPulseWidth", -1, 500, 1, 500);
    row("MAXDuty plus from 398", "MAXDuty", +1, 398, 1, 399);
    row("MAXDuty plus twice from 398", "MAXDuty", +1, 398, 2, 399);
    row("Sensitivity ten plus from 45", "Sensitivity", +1, 45, 10, 50);
    row("MAXPulseWidth minus from 2500", "MAXPulseWidth", -1, 2500, 1, 2499);
    row("MAXPulseWidth plus at 2500", "MAXPulseWidth", +1, 2500, 1, 2500);
    row("NeutralPoint three minus from 1500", "NeutralPoint", -1, 1500, 3, 1497);
    row("BrakeGain five plus from 7", "BrakeGain", +1, 7, 5, 12);
}

void TestParameterControls::clicksStepByOneWithinTheRange()
{
    QFETCH(QString, name);
    QFETCH(int, direction);
    QFETCH(int, from);
    QFETCH(int, clicks);
    QFETCH(int, expected);

    QSpinBox *spin = spinBox(*window, name);
    auto *button = window->findChild<QPushButton *>(QLatin1String("pB_") + name +
                                                    (direction > 0 ? "Add" : "Minus"));
    QVERIFY(button);
    spin->setValue(from);
    QCOMPARE(spin->value(), from);
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(spin->value(), expected);
}

void TestParameterControls::clickChangesOnlyItsOwnParameter_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("objectName"); // what is clicked
    QTest::addColumn<int>("change");
    for (const Numeric &n : kNumeric) {
        const QString name = QLatin1String(n.name);
        QTest::newRow(qPrintable(name + " plus")) << name << "pB_" + name + "Add" << 1;
        QTest::newRow(qPrintable(name + " minus")) << name << "pB_" + name + "Minus" << -1;
    }
    for (const char *s : kSwitches) {
        const QString name = QLatin1String(s);
        QTest::newRow(qPrintable(name)) << name << "cB_" + name << 1;
    }
}

// Every value starts mid-range, so a step of any other parameter would show.
void TestParameterControls::clickChangesOnlyItsOwnParameter()
{
    QFETCH(QString, control);
    QFETCH(QString, objectName);
    QFETCH(int, change);

    for (const Numeric &n : kNumeric)
        spinBox(*window, QLatin1String(n.name))->setValue((n.minimum + n.maximum) / 2);
    for (const char *name : kSwitches)
        checkBox(*window, QLatin1String(name))->setChecked(qstrcmp(name, "SoftStart") == 0);
    QVector<int> expected = snapshot(*window);
    const int index = indexOfControl(control);
    if (index >= int(std::size(kNumeric)))
        expected[index] = 1 - expected[index];
    else
        expected[index] += change;

    auto *clicked = window->findChild<QAbstractButton *>(objectName);
    QVERIFY(clicked);
    QTest::mouseClick(clicked, Qt::LeftButton);
    QCOMPARE(snapshot(*window), expected);
}

// The ranges are independent: nothing keeps Min below MAX or Neutral between.
void TestParameterControls::minPulseWidthMayExceedMaxPulseWidth()
{
    QSpinBox *minimum = spinBox(*window, QStringLiteral("MinPulseWidth"));
    QSpinBox *maximum = spinBox(*window, QStringLiteral("MAXPulseWidth"));
    QSpinBox *neutral = spinBox(*window, QStringLiteral("NeutralPoint"));
    minimum->setValue(2000);
    maximum->setValue(1000);
    neutral->setValue(2500);
    QCOMPARE(minimum->value(), 2000);
    QCOMPARE(maximum->value(), 1000);
    QCOMPARE(neutral->value(), 2500);
    QCOMPARE(minimum->maximum(), 2500);
    QCOMPARE(maximum->minimum(), 500);
}

QTEST_MAIN(TestParameterControls)
#include "tst_parametercontrols.moc"
