// The doctor's look at an answer held back, with a USB adapter's latency
// timer where Linux shows it: a folder of the test's own stands for /sys,
// as a pseudo-terminal has no such file.

#include "doctor/portdoctor.h"
#include "port/portlist.h"
#include "servo/waituntil.h"
#include "servosimulator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestPortDoctor : public QObject
{
    Q_OBJECT

private slots:
    void aLateAnswerNamesTheAdaptersLatencyTimer();
};

void TestPortDoctor::aLateAnswerNamesTheAdaptersLatencyTimer()
{
    ServoSimulator servo;
    servo.setAnswerDelay(30);
    QTemporaryDir sysfs;
    const QString device = QFileInfo(PortList::deviceOf(servo.slavePath())).fileName();
    const QString folder = sysfs.filePath(QStringLiteral("bus/usb-serial/devices/") + device);
    QVERIFY(QDir().mkpath(folder));
    QFile timer(folder + QStringLiteral("/latency_timer"));
    QVERIFY(timer.open(QIODevice::WriteOnly) && timer.write("16\n") == 3);
    timer.close();

    PortDoctor doctor(nullptr, sysfs.path());
    const PortDoctor::Result result = waitUntil<PortDoctor::Result>(
        &doctor, &PortDoctor::finished, [&] { doctor.start(servo.slavePath()); });
    QCOMPARE(int(result.finding.kind), int(LineFinding::Kind::Late));
    QVERIFY(!result.problem);
    QCOMPARE(result.latencyTimerPath, timer.fileName());
    QCOMPARE(result.latencyTimerMs, 16);
}

QTEST_GUILESS_MAIN(TestPortDoctor)
#include "tst_portdoctor.moc"
