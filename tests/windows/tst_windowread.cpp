// The Windows window against a servo on a real COM port: chosen in the port
// list, Read Parameter fills every control, Write Parameter is answered.
// The port and the servo's values come from the environment, as
// check-serial.sh sets them up.

#include "app/widget.h"
#include "referenceframe.h"
#include "referenceline.h"
#include "windowtest.h"

#include <QPushButton>
#include <QtTest>

class WindowReadTest : public QObject
{
    Q_OBJECT

private slots:
    void readFillsTheControlsAndWriteIsAnswered();
};

void WindowReadTest::readFillsTheControlsAndWriteIsAnswered()
{
    const QString port = qEnvironmentVariable("NIMBAL_TEST_PORT");
    const std::optional<ParameterSet> held =
        ReferenceLine::values(qEnvironmentVariable("NIMBAL_TEST_VALUES"));
    if (port.isEmpty() || !held)
        QSKIP("needs NIMBAL_TEST_PORT and NIMBAL_TEST_VALUES: run it from check-serial.sh");
    Widget window;
    QVERIFY2(WindowTest::choosePort(window, port), qPrintable(port));

    window.findChild<QPushButton *>(QStringLiteral("pB_ReadParameter"))->click();
    QTRY_COMPARE_WITH_TIMEOUT(WindowTest::values(window), Reference::clamped(*held), 10000);

    WindowTest::spinBox(window, Parameter::NeutralPoint)->setValue(1600);
    window.findChild<QPushButton *>(QStringLiteral("pB_WriteParameter"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(WindowTest::logMessages(window).contains(
                                 QStringLiteral("参数写入成功  Write successfully")),
                             10000);
    QCOMPARE(WindowTest::logMessages(window).first(),
             QStringLiteral("%1 打开成功  %1 Open successfully").arg(port));
}

QTEST_MAIN(WindowReadTest)
#include "tst_windowread.moc"
