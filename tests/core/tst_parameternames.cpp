// The names a person may give a parameter (nimbalctl set NAME=VALUE), and
// the parameter meant by a name that names none.

#include "model/parameterset.h"
#include "parametervalues.h"

#include <QtTest>

using P = Parameter;
using MaybeParameter = std::optional<Parameter>;
Q_DECLARE_METATYPE(MaybeParameter)

class TestParameterNames : public QObject
{
    Q_OBJECT

private slots:
    void nameOrCaptionInAnyCase_data();
    void nameOrCaptionInAnyCase();
    void nearestIsOfferedOnlyWhenClose_data();
    void nearestIsOfferedOnlyWhenClose();
};

void TestParameterNames::nameOrCaptionInAnyCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<MaybeParameter>("named");
    QTest::newRow("name") << "NeutralPoint" << MaybeParameter(P::NeutralPoint);
    QTest::newRow("caption") << "Soft Start" << MaybeParameter(P::SoftStart);
    QTest::newRow("dashes") << "neutral-point" << MaybeParameter(P::NeutralPoint);
    QTest::newRow("underscores, upper case")
        << "LOCK_PROTECTION" << MaybeParameter(P::LOCKProtection);
    QTest::newRow("a slip names nothing") << "NuetralPoint" << MaybeParameter();
    QTest::newRow("empty") << "" << MaybeParameter();
}

void TestParameterNames::nameOrCaptionInAnyCase()
{
    QFETCH(QString, name);
    QFETCH(MaybeParameter, named);
    QCOMPARE(parameterNamed(name), named);
}

void TestParameterNames::nearestIsOfferedOnlyWhenClose_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<MaybeParameter>("meant");
    QTest::newRow("two letters swapped") << "Nuetral-Point" << MaybeParameter(P::NeutralPoint);
    QTest::newRow("a letter missing") << "sensitivty" << MaybeParameter(P::Sensitivity);
    QTest::newRow("a letter added") << "MAXDutyy" << MaybeParameter(P::MAXDuty);
    QTest::newRow("a letter changed") << "BrakeGian" << MaybeParameter(P::BrakeGain);
    QTest::newRow("the start of one name") << "torque" << MaybeParameter(P::TorqueGain);
    QTest::newRow("the start of two names") << "integral" << MaybeParameter();
    QTest::newRow("far from every name") << "Speed" << MaybeParameter();
    QTest::newRow("too short to guess") << "so" << MaybeParameter();
    QTest::newRow("empty") << "" << MaybeParameter();
}

void TestParameterNames::nearestIsOfferedOnlyWhenClose()
{
    QFETCH(QString, name);
    QFETCH(MaybeParameter, meant);
    QCOMPARE(parameterNearest(name), meant);
}

QTEST_GUILESS_MAIN(TestParameterNames)
#include "tst_parameternames.moc"
