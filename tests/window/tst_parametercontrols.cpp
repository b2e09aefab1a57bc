// The fourteen parameter controls: ranges, start values, clamping and the
// plus and minus buttons, driven by real clicks.

#include "app/widget.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

using P = Parameter;

struct Numeric
{
    Parameter id;
    int minimum;
    int maximum;
    int start;
};

const Numeric kNumeric[] = {
    {P::TorqueGain, 0, 255, 0},
    {P::BrakeGain, 0, 255, 0},
    {P::IntegralGain, 0, 255, 0},
    {P::IntegralSpeed, 0, 255, 0},
    {P::MAXDuty, 0, 399, 0},
    {P::LeftAngleCoefficient, 0, 255, 0},
    {P::RightAngleCoefficient, 0, 255, 0},
    {P::MinPulseWidth, 500, 2500, 500},
    {P::MAXPulseWidth, 500, 2500, 2500},
    {P::Sensitivity, 0, 50, 0},
    {P::NeutralPoint, 500, 2500, 1500},
};

const Parameter kSwitches[] = {P::ReversedRotation, P::SoftStart, P::LOCKProtection};

// The object-name stem, "TorqueGain" for spinBox_TorqueGain.
QString stem(Parameter p)
{
    return QLatin1String(infoOf(p).name);
}

using WindowTest::checkBox;
using WindowTest::spinBox;

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
    QTest::addColumn<Parameter>("parameter");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("start");
    for (const Numeric &n : kNumeric)
        QTest::newRow(infoOf(n.id).name) << n.id << n.minimum << n.maximum << n.start;
}

void TestParameterControls::rangesAndStartValues()
{
    QFETCH(Parameter, parameter);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, start);
    const Widget fresh;
    QSpinBox *spin = spinBox(fresh, parameter);
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
    for (Parameter p : kSwitches) {
        const char *name = infoOf(p).name;
        QCheckBox *box = checkBox(fresh, p);
        QVERIFY2(box, name);
        QVERIFY2(!box->isChecked(), name);
        QVERIFY2(!box->isTristate(), name);
    }
}

void TestParameterControls::writesAreClampedToTheRange_data()
{
    QTest::addColumn<Parameter>("parameter");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("shown");
    QTest::newRow("MAXPulseWidth 3000") << P::MAXPulseWidth << 3000 << 2500;
    QTest::newRow("NeutralPoint 0") << P::NeutralPoint << 0 << 500;
    QTest::newRow("BrakeGain -5") << P::BrakeGain << -5 << 0;
    QTest::newRow("MAXDuty 400") << P::MAXDuty << 400 << 399;
    QTest::newRow("Sensitivity 51") << P::Sensitivity << 51 << 50;
    QTest::newRow("TorqueGain 256") << P::TorqueGain << 256 << 255;
    QTest::newRow("MinPulseWidth 499") << P::MinPulseWidth << 499 << 500;
    QTest::newRow("RightAngleCoefficient 255") << P::RightAngleCoefficient << 255 << 255;
}

void TestParameterControls::writesAreClampedToTheRange()
{
    QFETCH(Parameter, parameter);
    QFETCH(int, written);
    QFETCH(int, shown);
    QSpinBox *spin = spinBox(*window, parameter);
    spin->setValue(written);
    QCOMPARE(spin->value(), shown);
    QCOMPARE(spin->text(), QString::number(shown));
}

void TestParameterControls::clicksStepByOneWithinTheRange_data()
{
    QTest::addColumn<Parameter>("parameter");
    QTest::addColumn<int>("direction"); // +1: plus button, -1: minus button
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("expected");
    const auto row = [](const char *tag, Parameter p, int direction, int from, int clicks,
                        int expected) {
        QTest::newRow(tag) << p << direction << from << clicks << expected;
    };
    row("TorqueGain plus from 0", P::TorqueGain, +1, 0, 1, 1);
    row("TorqueGain plus at 255", P::TorqueGain, +1, 255, 1, 255);
    row("TorqueGain minus at 0", P::TorqueGain, -1, 0, 1, 0);
    row("MinPulseWidth minus at 500", P::MinPulseWidth, -1, 500, 1, 500);
    row("MAXDuty plus from 398", P::MAXDuty, +1, 398, 1, 399);
    row("MAXDuty plus twice from 398", P::MAXDuty, +1, 398, 2, 399);
    row("Sensitivity ten plus from 45", P::Sensitivity, +1, 45, 10, 50);
    row("MAXPulseWidth minus from 2500", P::MAXPulseWidth, -1, 2500, 1, 2499);
    row("MAXPulseWidth plus at 2500", P::MAXPulseWidth, +1, 2500, 1, 2500);
    row("NeutralPoint three minus from 1500", P::NeutralPoint, -1, 1500, 3, 1497);
    row("BrakeGain five plus from 7", P::BrakeGain, +1, 7, 5, 12);
}

void TestParameterControls::clicksStepByOneWithinTheRange()
{
    QFETCH(Parameter, parameter);
    QFETCH(int, direction);
    QFETCH(int, from);
    QFETCH(int, clicks);
    QFETCH(int, expected);

    QSpinBox *spin = spinBox(*window, parameter);
    auto *button = window->findChild<QPushButton *>(QLatin1String("pB_") + stem(parameter) +
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
    QTest::addColumn<Parameter>("parameter");
    QTest::addColumn<QString>("objectName"); // what is clicked
    QTest::addColumn<int>("change");
    for (const Numeric &n : kNumeric) {
        const QString name = stem(n.id);
        QTest::newRow(qPrintable(name + " plus")) << n.id << "pB_" + name + "Add" << 1;
        QTest::newRow(qPrintable(name + " minus")) << n.id << "pB_" + name + "Minus" << -1;
    }
    for (Parameter p : kSwitches)
        QTest::newRow(infoOf(p).name) << p << "cB_" + stem(p) << 1;
}

// Every value starts mid-range, so a step of any other parameter would show.
void TestParameterControls::clickChangesOnlyItsOwnParameter()
{
    QFETCH(Parameter, parameter);
    QFETCH(QString, objectName);
    QFETCH(int, change);

    for (const Numeric &n : kNumeric)
        spinBox(*window, n.id)->setValue((n.minimum + n.maximum) / 2);
    for (Parameter p : kSwitches)
        checkBox(*window, p)->setChecked(p == P::SoftStart);
    ParameterSet expected = WindowTest::values(*window);
    const int shown = expected.value(parameter);
    expected.setValue(parameter, isSwitch(parameter) ? 1 - shown : shown + change);

    auto *clicked = window->findChild<QAbstractButton *>(objectName);
    QVERIFY(clicked);
    QTest::mouseClick(clicked, Qt::LeftButton);
    QCOMPARE(WindowTest::values(*window), expected);
}

// The ranges are independent: nothing keeps Min below MAX or Neutral between.
void TestParameterControls::minPulseWidthMayExceedMaxPulseWidth()
{
    QSpinBox *minimum = spinBox(*window, P::MinPulseWidth);
    QSpinBox *maximum = spinBox(*window, P::MAXPulseWidth);
    QSpinBox *neutral = spinBox(*window, P::NeutralPoint);
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
