// The station, offscreen, against simulated servos: what a person at the
// line sees and does. The lanes themselves are tested in tests/link.

#include "programrun.h"
#include "servosimulator.h"
#include "stationwindow.h"
#include "textlines.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kWaitMs = 10000;

QString dataPath(const char *name)
{
    return QStringLiteral(NIMBAL_TEST_DATA "/") + QLatin1String(name);
}

QList<QFrame *> tiles(const QWidget &window)
{
    return window.findChildren<QFrame *>(QStringLiteral("lane"));
}

QString verdictOf(const QFrame *tile)
{
    return tile->property("verdict").toString();
}

QString textOf(const QWidget *tile, const char *name)
{
    return tile->findChild<QLabel *>(QLatin1String(name))->text();
}

// Whether the window shows `text` somewhere.
bool shows(const QWidget &window, const QString &text)
{
    const QList<QLabel *> labels = window.findChildren<QLabel *>();
    return std::any_of(labels.cbegin(), labels.cend(),
                       [&text](const QLabel *label) { return label->text() == text; });
}

} // namespace

class TestStation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void onePassesOneFailsCountedAndLogged();
    void aRefusedFileIsNeverReplacedAndSendsNothing();
    void labelsAreLoggedAndARepeatedOneRefused();
    void closingWhileSettingUpFinishesTheServoFirst();
    void optionsStartItAndSigtermEndsIt();
    void keptSettingsComeBackWhole();
    void chineseUnderAChineseLocale();

private:
    QTemporaryDir m_dir;
};

void TestStation::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Settings of the tests' own, not the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
}

// Each test starts from no settings kept.
void TestStation::init()
{
    QSettings(QStringLiteral("Nimbal"), QStringLiteral("Nimbal Station")).clear();
}

void TestStation::onePassesOneFailsCountedAndLogged()
{
    ServoSimulator good, stubborn;
    stubborn.forceStoredValue(Parameter::NeutralPoint, 1500);
    const QString log = m_dir.filePath(QStringLiteral("two.csv"));
    StationWindow window;
    QVERIFY(window.setParameterFile(dataPath("wanted-values.txt")));
    window.setPorts({good.slavePath(), stubborn.slavePath()});
    window.setLogPath(log);
    QVERIFY(window.start());
    const QList<QFrame *> lanes = tiles(window);
    QCOMPARE(lanes.size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(verdictOf(lanes.at(0)) == QLatin1String("pass") &&
                                 verdictOf(lanes.at(1)) == QLatin1String("fail"),
                             kWaitMs);
    QCOMPARE(textOf(lanes.at(1), "detail").section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Neutral Point: wanted 1520, found 1500"));
    QCOMPARE(textOf(lanes.at(0), "counts"), QStringLiteral("Passed 1 · Failed 0"));
    QCOMPARE(textOf(lanes.at(1), "counts"), QStringLiteral("Passed 0 · Failed 1"));
    // Both servos in the log (its rows are the lanes' own, tested there).
    const QString rows = linesOf(log).join(QLatin1Char('\n'));
    const auto logged = [&rows](const ServoSimulator &servo, const char *result) {
        return rows.contains(QRegularExpression(QRegularExpression::escape(servo.slavePath()) +
                                                QStringLiteral(",\\d,") + QLatin1String(result)));
    };
    QVERIFY2(logged(good, "PASS") && logged(stubborn, "FAIL"), qPrintable(rows));
    QVERIFY(shows(window, QStringLiteral("2 servos: 1 passed, 1 failed")));
    window.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!window.isRunning(), kWaitMs);
}

// A file that fails the strict rule is refused with its reason; the valid
// one kept from an earlier run does not take its place, and nothing is sent.
void TestStation::aRefusedFileIsNeverReplacedAndSendsNothing()
{
    ServoSimulator servo;
    {
        StationWindow earlier;
        QVERIFY(earlier.setParameterFile(dataPath("wanted-values.txt")));
        earlier.setPorts({servo.slavePath()});
        earlier.close();
    }
    StationWindow window;
    QVERIFY(window.hasValidFile()); // the earlier run's, restored
    QVERIFY(!window.setParameterFile(dataPath("max-pulse-width-3000.txt")));
    QVERIFY(!window.hasValidFile());
    QPushButton *start = nullptr;
    for (QPushButton *button : window.findChildren<QPushButton *>())
        start = button->text() == QLatin1String("&Start") ? button : start;
    QVERIFY(start);
    QVERIFY(!start->isEnabled());
    QVERIFY(shows(window, QStringLiteral("Refused: Field 6 (MAX Pulse Width) is 3000, outside 500 "
                                         "to 2500.")));
    QVERIFY(!window.start());
    QCoreApplication::processEvents();
    QCOMPARE(servo.receivedBytes(), QByteArray());
}

// With labels asked for, a lane waits for the servo's label; an empty one
// and one that passed already in this log are refused.
void TestStation::labelsAreLoggedAndARepeatedOneRefused()
{
    ServoSimulator servo;
    const QString log = m_dir.filePath(QStringLiteral("labels.csv"));
    StationWindow window;
    QVERIFY(window.setParameterFile(dataPath("wanted-values.txt")));
    window.setPorts({servo.slavePath()});
    window.setLogPath(log);
    window.setAskForLabels(true);
    window.show();
    QVERIFY(window.start());
    QFrame *tile = tiles(window).constFirst();
    auto *label = tile->findChild<QLineEdit *>(QStringLiteral("label"));
    const auto enter = [&](const QString &text) {
        QTRY_VERIFY_WITH_TIMEOUT(label->isVisible(), kWaitMs);
        label->clear();
        QTest::keyClicks(label, text);
        QTest::keyClick(label, Qt::Key_Return);
    };

    enter(QString());
    QCOMPARE(textOf(tile, "detail"), QStringLiteral("The label is empty: scan the servo's label."));
    enter(QStringLiteral("SN-001"));
    QTRY_COMPARE_WITH_TIMEOUT(verdictOf(tile), QStringLiteral("pass"), kWaitMs);
    QVERIFY(linesOf(log).value(1).endsWith(QLatin1String(",SN-001")));

    // The servo is unplugged, and another comes with the same label.
    servo.setSilent(true);
    QTRY_COMPARE_WITH_TIMEOUT(textOf(tile, "headline"), QStringLiteral("Plug in a servo"), kWaitMs);
    servo.setSilent(false);
    enter(QStringLiteral("SN-001"));
    QCOMPARE(textOf(tile, "detail"),
             QStringLiteral("Label SN-001 has passed already in this log."));
    enter(QStringLiteral("SN-002"));
    QTRY_COMPARE_WITH_TIMEOUT(linesOf(log).size(), 3, kWaitMs);
    QVERIFY(linesOf(log).at(2).endsWith(QLatin1String(",SN-002")));
    window.stop();
}

void TestStation::closingWhileSettingUpFinishesTheServoFirst()
{
    ServoSimulator servo;
    servo.setAnswerDelay(300);
    const QString log = m_dir.filePath(QStringLiteral("closing.csv"));
    StationWindow window;
    QVERIFY(window.setParameterFile(dataPath("wanted-values.txt")));
    window.setPorts({servo.slavePath()});
    window.setLogPath(log);
    window.show();
    QVERIFY(window.start());
    QFrame *tile = tiles(window).constFirst();
    QTRY_COMPARE_WITH_TIMEOUT(textOf(tile, "headline"), QStringLiteral("Setting up…"), kWaitMs);
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), kWaitMs);
    QVERIFY(!window.isRunning());
    QCOMPARE(linesOf(log).size(), 2);
    QVERIFY(linesOf(log).at(1).contains(QLatin1String(",PASS,")));
}

// A station PC's shortcut: everything set on the command line, started at
// once; SIGTERM ends it as closing the window does.
void TestStation::optionsStartItAndSigtermEndsIt()
{
    ServoSimulator servo;
    const QString log = m_dir.filePath(QStringLiteral("options.csv"));
    QProcess station;
    station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    station.start(QStringLiteral(NIMBAL_STATION),
                  {QStringLiteral("--file"), dataPath("wanted-values.txt"),
                   QStringLiteral("--port"), servo.slavePath(), QStringLiteral("--log"), log,
                   QStringLiteral("--start"), QStringLiteral("-platform"),
                   QStringLiteral("offscreen")});
    QVERIFY(station.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(linesOf(log).size(), 2, kWaitMs);
    QVERIFY(linesOf(log).at(1).contains(QLatin1String(",PASS,")));
    QVERIFY(servo.values().value(Parameter::TorqueGain) == 40);
    station.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(station.state(), QProcess::NotRunning, kWaitMs);
    QCOMPARE(station.exitStatus(), QProcess::NormalExit);
    QCOMPARE(station.exitCode(), 0);
    // What it was started with is kept for the next run.
    QSettings kept(QStringLiteral("Nimbal"), QStringLiteral("Nimbal Station"));
    QCOMPARE(kept.value(QStringLiteral("ports")).toStringList(), QStringList{servo.slavePath()});
    QCOMPARE(kept.value(QStringLiteral("log")).toString(), log);
}

// The window's size comes back with labels asked for, and a lane kept for a
// port that another lane's port names too is not made twice.
void TestStation::keptSettingsComeBackWhole()
{
    const QString port = m_dir.filePath(QStringLiteral("ttyNIMBAL"));
    const QString otherName = m_dir.filePath(QStringLiteral("by-id-link"));
    QVERIFY(QFile(port).open(QIODevice::WriteOnly) && QFile::link(port, otherName));
    {
        StationWindow earlier;
        earlier.resize(700, 500);
        earlier.setAskForLabels(true);
        earlier.close();
    }
    QSettings(QStringLiteral("Nimbal"), QStringLiteral("Nimbal Station"))
        .setValue(QStringLiteral("ports"), QStringList{port, otherName});
    StationWindow window;
    QCOMPARE(window.size(), QSize(700, 500));
    QCOMPARE(window.ports(), QStringList{port});
}

void TestStation::chineseUnderAChineseLocale()
{
    QVERIFY(StationWindow::installTranslation(QLocale(QLocale::Chinese, QLocale::China)));
    StationWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Nimbal 工作站"));
    window.setPorts({QStringLiteral("/dev/nimbal-no-such-port")});
    QCOMPARE(textOf(tiles(window).constFirst(), "headline"), QStringLiteral("已停止"));
    QVERIFY(!window.setParameterFile(dataPath("empty.txt")));
    QVERIFY(shows(window, QStringLiteral("已拒绝：文件是空的。")));
}

QTEST_MAIN(TestStation)
#include "tst_station.moc"
