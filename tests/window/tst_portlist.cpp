// The port list: a blank entry, then the ports in the order the system
// reports them, listed afresh on every left press.

#include "app/widget.h"
#include "serial/mycombobox.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QtTest>

namespace {

QStringList entries(const QComboBox &box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts.append(box.itemText(i));
    return texts;
}

void listPorts(const QStringList &names)
{
    MyComboBox::setPortEnumerator([names] { return names; });
}

enum class Opening
{
    LeftPress,
    RightPress,
    MiddlePress,
    Keyboard
};

} // namespace

Q_DECLARE_METATYPE(Opening)

class TestPortList : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void blankEntryThenPortsInReportedOrder_data();
    void blankEntryThenPortsInReportedOrder();
    void windowListsThePortsWhenBuilt();
    void onlyALeftPressRescans_data();
    void onlyALeftPressRescans();
    void scanningNeverActivatesAnEntry();
    void choosingAnEntryActivatesItsText();
};

void TestPortList::cleanup()
{
    MyComboBox::setPortEnumerator({});
}

void TestPortList::blankEntryThenPortsInReportedOrder_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::newRow("no port") << QStringList();
    QTest::newRow("one port") << QStringList{"ttyUSB0"};
    QTest::newRow("unsorted ports") << QStringList{"ttyUSB1", "ttyS0", "COM3", "ttyACM0"};
}

void TestPortList::blankEntryThenPortsInReportedOrder()
{
    QFETCH(QStringList, ports);
    listPorts(ports);
    MyComboBox box;
    QCOMPARE(entries(box), QStringList{QString()} + ports);
    QCOMPARE(box.currentIndex(), 0);
    QCOMPARE(box.currentText(), QString());
    // Bare names only: no icon, no data behind an entry.
    for (int i = 0; i < box.count(); ++i) {
        QVERIFY(box.itemIcon(i).isNull());
        QVERIFY(!box.itemData(i, Qt::UserRole).isValid());
    }
}

void TestPortList::windowListsThePortsWhenBuilt()
{
    listPorts({"ttyACM0", "ttyUSB3"});
    Widget w;
    auto *box = w.findChild<MyComboBox *>(QStringLiteral("comboBox_Port"));
    QVERIFY(box);
    QCOMPARE(entries(*box), (QStringList{"", "ttyACM0", "ttyUSB3"}));
}

void TestPortList::onlyALeftPressRescans_data()
{
    QTest::addColumn<Opening>("opening");
    QTest::addColumn<bool>("rescans");
    QTest::newRow("left press") << Opening::LeftPress << true;
    QTest::newRow("right press") << Opening::RightPress << false;
    QTest::newRow("middle press") << Opening::MiddlePress << false;
    QTest::newRow("keyboard") << Opening::Keyboard << false;
}

// An adapter plugged in after the last scan shows up after the next left
// press, and one pulled out stays listed until then.
void TestPortList::onlyALeftPressRescans()
{
    QFETCH(Opening, opening);
    QFETCH(bool, rescans);

    listPorts({"ttyUSB0", "ttyUSB1"});
    MyComboBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setCurrentIndex(2);
    listPorts({"ttyUSB1", "ttyACM0"});

    switch (opening) {
    case Opening::LeftPress:
        QTest::mousePress(&box, Qt::LeftButton);
        break;
    case Opening::RightPress:
        QTest::mousePress(&box, Qt::RightButton);
        break;
    case Opening::MiddlePress:
        QTest::mousePress(&box, Qt::MiddleButton);
        break;
    case Opening::Keyboard:
        QTest::keyClick(&box, Qt::Key_F4);
        break;
    }
    box.hidePopup();

    if (rescans) {
        QCOMPARE(entries(box), (QStringList{"", "ttyUSB1", "ttyACM0"}));
        QCOMPARE(box.currentIndex(), 0);
    } else {
        QCOMPARE(entries(box), (QStringList{"", "ttyUSB0", "ttyUSB1"}));
        QCOMPARE(box.currentText(), QStringLiteral("ttyUSB1"));
    }
}

void TestPortList::scanningNeverActivatesAnEntry()
{
    listPorts({"ttyUSB0"});
    MyComboBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setCurrentIndex(1);
    QSignalSpy textActivated(&box, &QComboBox::textActivated);
    QSignalSpy activated(&box, QOverload<int>::of(&QComboBox::activated));
    QTest::mousePress(&box, Qt::LeftButton);
    box.hidePopup();
    QCOMPARE(box.currentIndex(), 0);
    QCOMPARE(textActivated.count(), 0);
    QCOMPARE(activated.count(), 0);
}

// Through the opened list, as a user chooses: open it, move down to the
// entry and take it.
void TestPortList::choosingAnEntryActivatesItsText()
{
    listPorts({"ttyUSB0", "ttyUSB7"});
    MyComboBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy textActivated(&box, &QComboBox::textActivated);
    QTest::mousePress(&box, Qt::LeftButton);
    QAbstractItemView *view = box.view();
    QTRY_VERIFY(view->isVisible());
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(textActivated.count(), 1);
    QCOMPARE(textActivated.first().first().toString(), QStringLiteral("ttyUSB7"));
    QVERIFY(!view->isVisible());
}

QTEST_MAIN(TestPortList)
#include "tst_portlist.moc"
