// The servo's device vanishes while the window has its port open, in the
// middle of a stream of answers: the window says so once, closes the port,
// goes idle, and works again once the port is chosen anew.

#include "app/widget.h"
#include "eventpasses.h"
#include "pseudoterminal.h"
#include "referenceframe.h"
#include "serial/statuslog.h"
#include "servosimulator.h"
#include "windowtest.h"

#include <QPushButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString kReading = QStringLiteral("参数读取成功  Reading successful");

// The answers stream this fast: about the servo line's full rate.
constexpr int kStreamIntervalMs = 2;

} // namespace

class DeviceLostTest : public QObject
{
    Q_OBJECT

private slots:
    void deviceLostMidStream_data();
    void deviceLostMidStream();
};

void DeviceLostTest::deviceLostMidStream_data()
{
    // Bytes of one more answer that reach the port just before the device
    // goes: none, or the front of a frame that will never be finished.
    QTest::addColumn<int>("partialBytes");
    QTest::newRow("between answers") << 0;
    QTest::newRow("inside an answer") << 7;
    QTest::newRow("one byte short of an answer") << 19;
}

void DeviceLostTest::deviceLostMidStream()
{
    QFETCH(int, partialBytes);

    // Declared before the window, so they outlive the connections to it.
    int sent = 0;
    int applied = 0;
    Widget window;
    auto *port = window.findChild<QSerialPort *>();
    QVERIFY(port);
    auto device = std::make_unique<PseudoTerminal>();
    QVERIFY2(device->isOpen(), qPrintable(device->errorString()));
    QVERIFY(WindowTest::choosePort(window, device->slavePath()));
    const QString lost = StatusLog::portDisconnected(port->portName());

    // Two sets in turn, so each answer changes the controls.
    ParameterSet first = ServoSimulator::startValues();
    ParameterSet second = first;
    second.setValue(Parameter::TorqueGain, first.value(Parameter::TorqueGain) + 1);
    const QByteArray answers[] = {
        Reference::encode(first, Reference::kReadAnswer),
        Reference::encode(second, Reference::kReadAnswer),
    };
    QTimer stream;
    connect(&stream, &QTimer::timeout, this, [&] {
        if (device->write(answers[sent % 2]))
            ++sent;
    });
    QSpinBox *torqueGain = WindowTest::spinBox(window, Parameter::TorqueGain);
    QVERIFY(torqueGain);
    connect(torqueGain, qOverload<int>(&QSpinBox::valueChanged), this, [&] { ++applied; });

    stream.start(kStreamIntervalMs);
    QTRY_VERIFY(applied >= 20);
    // The device goes while answers are still on their way.
    if (partialBytes > 0)
        QVERIFY(device->write(answers[sent % 2].left(partialBytes)));
    device->closeMaster();
    stream.stop();
    QTRY_VERIFY(!port->isOpen());
    QTRY_COMPARE(WindowTest::logMessages(window).constLast(), lost);

    // Nothing more happens: no second message, and no error from a port
    // still watching the dead device, which would come once a pass.
    QSignalSpy errors(port, &QSerialPort::errorOccurred);
    EventPasses::run();
    QCOMPARE(errors.count(), 0);
    QCOMPARE(WindowTest::logMessages(window).count(lost), 1);
    QVERIFY(!port->isOpen());

    // The device is back, on a new pseudo-terminal with a path of its own.
    device.reset();
    ServoSimulator servo;
    QVERIFY2(servo.isOpen(), qPrintable(servo.errorString()));
    ParameterSet servoValues = ServoSimulator::startValues();
    servoValues.setValue(Parameter::NeutralPoint, 2222);
    servo.setValues(servoValues);
    QVERIFY(WindowTest::choosePort(window, servo.slavePath()));

    auto *read = window.findChild<QPushButton *>(QStringLiteral("pB_ReadParameter"));
    QVERIFY(read);
    read->click();
    QTRY_COMPARE(WindowTest::logMessages(window).constLast(), kReading);
    QCOMPARE(servo.requestsSeen(), 1);
    QCOMPARE(WindowTest::values(window), servoValues);
}

QTEST_MAIN(DeviceLostTest)
#include "tst_devicelost.moc"
