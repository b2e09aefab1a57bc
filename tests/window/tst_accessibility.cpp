// What a screen reader finds on the fourteen parameter controls: their step
// buttons and check boxes show no text, so each control names itself after
// its caption, and a value field tells its range.

#include "app/widget.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <utility>

namespace {

QAccessibleInterface *accessible(const Widget &w, const QString &objectName)
{
    QWidget *control = w.findChild<QWidget *>(objectName);
    return control ? QAccessible::queryAccessibleInterface(control) : nullptr;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void controlsAreNamedAfterTheirCaption_data();
    void controlsAreNamedAfterTheirCaption();
};

void TestAccessibility::controlsAreNamedAfterTheirCaption_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("range"); // empty for a switch

    const char *const rows[][3] = {
        {"TorqueGain", "Torque Gain", "0 to 255"},
        {"BrakeGain", "Brake Gain", "0 to 255"},
        {"IntegralGain", "Integral Gain", "0 to 255"},
        {"IntegralSpeed", "Integral Speed", "0 to 255"},
        {"MinPulseWidth", "Min Pulse Width", "500 to 2500"},
        {"MAXPulseWidth", "MAX Pulse Width", "500 to 2500"},
        {"Sensitivity", "Sensitivity", "0 to 50"},
        {"NeutralPoint", "Neutral Point", "500 to 2500"},
        {"MAXDuty", "MAX Duty", "0 to 399"},
        {"LeftAngleCoefficient", "Left Angle Coefficient", "0 to 255"},
        {"RightAngleCoefficient", "Right Angle Coefficient", "0 to 255"},
        {"ReversedRotation", "Reversed Rotation", ""},
        {"SoftStart", "Soft Start", ""},
        {"LOCKProtection", "LOCK Protection", ""},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1])
                              << QString::fromLatin1(row[2]);
}

void TestAccessibility::controlsAreNamedAfterTheirCaption()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, range);

    const Widget w;
    const bool isSwitch = range.isEmpty();
    QAccessibleInterface *control =
        accessible(w, (isSwitch ? QLatin1String("cB_") : QLatin1String("spinBox_")) + name);
    QVERIFY(control);
    QCOMPARE(control->role(), isSwitch ? QAccessible::CheckBox : QAccessible::SpinBox);
    QCOMPARE(control->text(QAccessible::Name), caption);
    // The caption on screen is tied to the control as its label.
    const auto labels = control->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.constFirst().first->object(),
             w.findChild<QLabel *>(QLatin1String("label_") + name + QLatin1Char('E')));
    if (isSwitch)
        return;
    QCOMPARE(control->text(QAccessible::Description), range);

    // The minus button is pB_<name>Minus, the plus button pB_<name>Add.
    const std::pair<const char *, const char *> steps[] = {{"Minus", " minus"}, {"Add", " plus"}};
    for (const auto &[objectSuffix, spoken] : steps) {
        QAccessibleInterface *step =
            accessible(w, QLatin1String("pB_") + name + QLatin1String(objectSuffix));
        QVERIFY(step);
        QCOMPARE(step->role(), QAccessible::Button);
        QCOMPARE(step->text(QAccessible::Name), caption + QLatin1String(spoken));
    }
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
