// Choosing a port in the window, with a pseudo-terminal playing the servo's
// serial adapter: line settings, the outcome in the status log, reopening,
// failure, the blank entry and an adapter pulled out while open.

#include "app/widget.h"
#include "eventpasses.h"
#include "model/parameterset.h"
#include "pseudoterminal.h"
#include "referenceframe.h"
#include "serial/mycombobox.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include <memory>

using namespace WindowTest;

namespace {

const char kMissingPort[] = "/dev/nimbal-does-not-exist";

// A read answer from the servo carrying `torqueGain` and start values else.
QByteArray readAnswer(int torqueGain)
{
    ParameterSet values = Reference::startValues();
    values.setValue(Parameter::TorqueGain, torqueGain);
    return Reference::encode(values, Reference::kReadAnswer);
}

} // namespace

class TestPortConnection : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void opensWithTheServosLineSettings();
    void choosingTheOpenPortAgainReopensIt();
    void failureToOpenLeavesNoPortOpen_data();
    void failureToOpenLeavesNoPortOpen();
    void blankEntryChangesNothing_data();
    void blankEntryChangesNothing();
    void settingTheEntryFromCodeOpensNothing();
    void choosingThroughTheListOpensThePort();
    void unpluggedAdapterIsReportedOnceAndClosed();
    void requestButtonsSendOneFrame_data();
    void requestButtonsSendOneFrame();
    void bytesOfThePreviousPortAreNotJoinedWithTheNext();
};

void TestPortConnection::cleanup()
{
    MyComboBox::setPortEnumerator({});
}

void TestPortConnection::opensWithTheServosLineSettings()
{
    PseudoTerminal pty;
    QVERIFY2(pty.isOpen(), qPrintable(pty.errorString()));
    Widget w;
    QSerialPort *port = serialPort(w);
    QVERIFY(!port->isOpen());

    QVERIFY(choosePort(w, pty.slavePath()));
    QCOMPARE(port->openMode(), QIODevice::ReadWrite);
    QVERIFY(pty.slavePath().endsWith(port->portName()));
    QCOMPARE(logMessages(w), QStringList{openedMessage(port->portName())});

    unsigned baud = 0;
    bool twoStopBits = false;
    int dataBits = 0;
    bool parity = true;
    QVERIFY(pty.lineSettings(&baud, &twoStopBits, &dataBits, &parity));
    QCOMPARE(baud, 111100u);
    QVERIFY(twoStopBits);
    QCOMPARE(dataBits, 8);
    QVERIFY(!parity);
    QCOMPARE(port->flowControl(), QSerialPort::NoFlowControl);
}

void TestPortConnection::choosingTheOpenPortAgainReopensIt()
{
    PseudoTerminal pty;
    Widget w;
    QSerialPort *port = serialPort(w);
    choosePort(w, pty.slavePath());
    QSignalSpy closing(port, &QIODevice::aboutToClose);
    choosePort(w, pty.slavePath());
    QCOMPARE(closing.count(), 1);
    QVERIFY(port->isOpen());
    const QString opened = openedMessage(port->portName());
    QCOMPARE(logMessages(w), (QStringList{opened, opened}));
}

void TestPortConnection::failureToOpenLeavesNoPortOpen_data()
{
    QTest::addColumn<bool>("openBefore");
    QTest::newRow("no port open before") << false;
    QTest::newRow("another port open before") << true;
}

void TestPortConnection::failureToOpenLeavesNoPortOpen()
{
    QFETCH(bool, openBefore);
    PseudoTerminal pty;
    Widget w;
    QSerialPort *port = serialPort(w);
    if (openBefore)
        QVERIFY(choosePort(w, pty.slavePath()));
    QVERIFY(!choosePort(w, QLatin1String(kMissingPort)));
    QCOMPARE(port->portName(), QStringLiteral("nimbal-does-not-exist"));
    QCOMPARE(logMessages(w).size(), openBefore ? 2 : 1);
    QCOMPARE(logMessages(w).last(), failedMessage(QStringLiteral("nimbal-does-not-exist")));
}

void TestPortConnection::blankEntryChangesNothing_data()
{
    QTest::addColumn<bool>("openBefore");
    QTest::newRow("port open") << true;
    QTest::newRow("no port open") << false;
}

void TestPortConnection::blankEntryChangesNothing()
{
    QFETCH(bool, openBefore);
    PseudoTerminal pty;
    Widget w;
    QSerialPort *port = serialPort(w);
    if (openBefore)
        choosePort(w, pty.slavePath());
    const QStringList logBefore = logLines(w);
    QSignalSpy closing(port, &QIODevice::aboutToClose);
    choosePort(w, QString());
    QCOMPARE(port->isOpen(), openBefore);
    QCOMPARE(closing.count(), 0);
    QCOMPARE(logLines(w), logBefore);
}

// Only the user's choice opens a port; the list's current entry set from
// code does not.
void TestPortConnection::settingTheEntryFromCodeOpensNothing()
{
    PseudoTerminal pty;
    MyComboBox::setPortEnumerator([&pty] { return QStringList{pty.slavePath()}; });
    Widget w;
    portList(w)->setCurrentIndex(1);
    QCOMPARE(portList(w)->currentText(), pty.slavePath());
    QVERIFY(!serialPort(w)->isOpen());
    QVERIFY(logLines(w).isEmpty());
}

// Open the list with a left press (which rescans it), take the pty's entry;
// a later left press shows the blank entry again but keeps the port open.
void TestPortConnection::choosingThroughTheListOpensThePort()
{
    PseudoTerminal pty;
    MyComboBox::setPortEnumerator([&pty] { return QStringList{pty.slavePath()}; });
    Widget w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    MyComboBox *list = portList(w);
    QTest::mousePress(list, Qt::LeftButton);
    QTRY_VERIFY(list->view()->isVisible());
    QTest::keyClick(list->view(), Qt::Key_Down);
    QTest::keyClick(list->view(), Qt::Key_Return);
    QSerialPort *port = serialPort(w);
    QVERIFY(port->isOpen());
    QCOMPARE(logMessages(w), QStringList{openedMessage(port->portName())});

    QTest::mousePress(list, Qt::LeftButton);
    list->hidePopup();
    QCOMPARE(list->currentText(), QString());
    QVERIFY(port->isOpen());
    QCOMPARE(logLines(w).size(), 1);
}

// Closing the master is what pulling out a USB adapter looks like to the
// port: one line, the port closed, and no storm of errors afterwards.
void TestPortConnection::unpluggedAdapterIsReportedOnceAndClosed()
{
    auto pty = std::make_unique<PseudoTerminal>();
    Widget w;
    QSerialPort *port = serialPort(w);
    QVERIFY(choosePort(w, pty->slavePath()));
    const QString name = port->portName();

    pty->closeMaster();
    QTRY_COMPARE(logMessages(w).size(), 2);
    QCOMPARE(logMessages(w).last(), disconnectedMessage(name));
    QVERIFY(!port->isOpen());

    // A port still watching the gone adapter would report an error on every
    // pass of the event loop.
    QSignalSpy errors(port, &QSerialPort::errorOccurred);
    EventPasses::run();
    QCOMPARE(errors.count(), 0);
    QCOMPARE(logMessages(w).size(), 2);

    // Plugged in again.
    pty = std::make_unique<PseudoTerminal>();
    QVERIFY(choosePort(w, pty->slavePath()));
    QCOMPARE(logMessages(w).last(), openedMessage(port->portName()));
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("pB_ReadParameter")),
                      Qt::LeftButton);
    QByteArray sent;
    QTRY_COMPARE((sent += pty->readAvailable()).size(), 20);
    QVERIFY(pty->write(readAnswer(44)));
    QTRY_COMPARE(spinBox(w, Parameter::TorqueGain)->value(), 44);
}

void TestPortConnection::requestButtonsSendOneFrame_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("writeBit");
    QTest::newRow("read") << "pB_ReadParameter" << false;
    QTest::newRow("write") << "pB_WriteParameter" << true;
}

void TestPortConnection::requestButtonsSendOneFrame()
{
    QFETCH(QString, button);
    QFETCH(bool, writeBit);
    PseudoTerminal pty;
    Widget w;
    choosePort(w, pty.slavePath());
    const int logged = logLines(w).size();

    QTest::mouseClick(w.findChild<QPushButton *>(button), Qt::LeftButton);
    // Whatever else the click sends, now or from the event loop, leaves the
    // port before a sentinel written after it.
    EventPasses::run();
    const QByteArray sentinel("\x01\x02\x03");
    QCOMPARE(serialPort(w)->write(sentinel), qint64(sentinel.size()));
    QByteArray sent;
    QTRY_VERIFY((sent += pty.readAvailable()).endsWith(sentinel));
    sent.chop(sentinel.size());
    QCOMPARE(sent.size(), 20);
    QCOMPARE(quint8(sent.front()), quint8(0x55));
    QCOMPARE(quint8(sent.back()), quint8(0xAA));
    QCOMPARE((Reference::flagsOf(sent) & Reference::kWriteRequest) != 0, writeBit);
    QCOMPARE(logLines(w).size(), logged);
}

// The first port delivers one whole answer and the first 19 bytes of
// another; the second port delivers the last byte of that one and a fresh
// answer. Joined, the halves would make a third valid answer.
void TestPortConnection::bytesOfThePreviousPortAreNotJoinedWithTheNext()
{
    PseudoTerminal first;
    PseudoTerminal second;
    Widget w;
    QSpinBox *torqueGain = spinBox(w, Parameter::TorqueGain);
    const QString reading = QString::fromUtf8("参数读取成功  Reading successful");

    choosePort(w, first.slavePath());
    const QByteArray cut = readAnswer(11);
    QVERIFY(first.write(readAnswer(33) + cut.left(19)));
    QTRY_COMPARE(torqueGain->value(), 33);
    QTRY_COMPARE(serialPort(w)->bytesAvailable(), 0);

    choosePort(w, second.slavePath());
    QVERIFY(second.write(cut.right(1) + readAnswer(22)));
    QTRY_COMPARE(torqueGain->value(), 22);
    QCOMPARE(logMessages(w).count(reading), 2);
    QCOMPARE(torqueGain->value(), 22);
}

QTEST_MAIN(TestPortConnection)
#include "tst_portconnection.moc"
