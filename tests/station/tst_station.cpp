// The station, offscreen, against simulated servos: what a person at the
// line sees and does. The lanes themselves are tested in tests/link.

#include "eventpasses.h"
#include "postgrestest.h"
#include "programrun.h"
#include "servosimulator.h"
#include "stationwindow.h"
#include "textlines.h"
#include "nimbalversion.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
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

// Keys typed into whatever has the keyboard focus when each comes, as a
// barcode scanner types them: 5 ms a key, then Enter. False when nothing
// has the focus.
bool scan(const QString &label)
{
    for (const QChar c : label + QLatin1Char('\r')) {
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            return false;
        if (c == QLatin1Char('\r'))
            QTest::keyClick(focus, Qt::Key_Return, Qt::NoModifier, 5);
        else
            QTest::keyClick(focus, c.toLatin1(), Qt::NoModifier, 5);
    }
    return true;
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
    void oneScannerLabelsTwoLanesEachInItsRow();
    void aFreshAccountGetsItsLogFolder();
    void anAdapterGoneSaysWhy();
    void itsRowsGoToTheLinesDatabaseOrWait();
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
    // As the program does: English, for its plural forms.
    QVERIFY(StationWindow::installTranslation(QLocale(QLocale::English)));
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
             QStringLiteral("Neutral Point: wanted 1520, servo 1500"));
    // While it runs, only Stop may be used.
    for (QWidget *control : window.findChildren<QWidget *>()) {
        const bool mayBeUsed = qobject_cast<QPushButton *>(control) ||
                               qobject_cast<QComboBox *>(control) ||
                               qobject_cast<QCheckBox *>(control);
        if (mayBeUsed && control->isEnabled())
            QVERIFY2(control->accessibleName() == QLatin1String("Stop every lane"),
                     qPrintable(control->accessibleName()));
    }
    QVERIFY(!window.setParameterFile(dataPath("empty.txt")));
    window.setPorts({good.slavePath()});
    QCOMPARE(tiles(window).size(), 2);
    // Unplugged, the failed servo's verdict and reasons stay until the next.
    stubborn.setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(
        textOf(lanes.at(1), "detail").endsWith(QLatin1String("Plug in the next servo")), kWaitMs);
    QCOMPARE(verdictOf(lanes.at(1)), QStringLiteral("fail"));
    QCOMPARE(textOf(lanes.at(1), "detail").section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Neutral Point: wanted 1520, servo 1500"));
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
    EventPasses::run();
    QCOMPARE(servo.receivedBytes(), QByteArray());
}

// Two lanes and one scanner. The label field holds the focus; the second
// lane's servo is plugged in while the first one's label is being typed,
// and each label goes whole to the servo it was scanned for. A refused
// label says why and leaves its servo waiting.
void TestStation::oneScannerLabelsTwoLanesEachInItsRow()
{
    ServoSimulator first, second;
    second.setSilent(true);
    const QString log = m_dir.filePath(QStringLiteral("labels.csv"));
    StationWindow window;
    QVERIFY(window.setParameterFile(dataPath("wanted-values.txt")));
    window.setPorts({first.slavePath(), second.slavePath()});
    window.setLogPath(log);
    window.setAskForLabels(true);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(window.start());
    const QList<QFrame *> lanes = tiles(window);
    QTRY_COMPARE_WITH_TIMEOUT(textOf(lanes.at(0), "headline"), QStringLiteral("Scan its label"),
                              kWaitMs);
    QVERIFY(shows(window, QStringLiteral("→ the servo on %1").arg(first.slavePath())));
    QVERIFY(lanes.at(0)->property("labelNext").toBool());

    QVERIFY(scan(QStringLiteral("=1+1")));
    QVERIFY(shows(window, QStringLiteral("=1+1 refused: The label begins with '=': a spreadsheet "
                                         "would take it for a formula")));
    QCOMPARE(textOf(lanes.at(0), "headline"), QStringLiteral("Scan its label"));

    // 64 characters take a third of a second: the second servo comes meanwhile.
    const QString longLabel = QStringLiteral("SN-A-") + QString(59, QLatin1Char('7'));
    QTimer::singleShot(100, &second, [&second] { second.setSilent(false); });
    QVERIFY(scan(longLabel));
    QTRY_COMPARE_WITH_TIMEOUT(textOf(lanes.at(1), "headline"), QStringLiteral("Scan its label"),
                              kWaitMs);
    QVERIFY(scan(QStringLiteral("SN-B")));
    QTRY_COMPARE_WITH_TIMEOUT(linesOf(log).size(), 3, kWaitMs);
    const QString rows = linesOf(log).join(QLatin1Char('\n'));
    QVERIFY2(rows.contains(first.slavePath() + QStringLiteral(",1,PASS,")) &&
                 rows.contains(second.slavePath() + QStringLiteral(",2,PASS,")),
             qPrintable(rows));
    for (const QString &row : linesOf(log).mid(1))
        QVERIFY2(row.split(QLatin1Char(',')).value(32) ==
                     (row.contains(first.slavePath()) ? longLabel : QStringLiteral("SN-B")),
                 qPrintable(row));
    window.stop();
}

// A fresh account has no documents folder yet: the default log's is made.
void TestStation::aFreshAccountGetsItsLogFolder()
{
    ServoSimulator servo;
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("fresh-home"))));
    StationWindow window;
    QVERIFY(window.setParameterFile(dataPath("wanted-values.txt")));
    window.setPorts({servo.slavePath()});
    window.setLogPath(QString());
    const bool started = window.start();
    qputenv("HOME", home);
    QVERIFY(started);
    const QString log =
        m_dir.filePath(QStringLiteral("fresh-home/Documents/nimbal-station-log.csv"));
    QTRY_COMPARE_WITH_TIMEOUT(linesOf(log).size(), 2, kWaitMs);
    window.stop();
}

// A lane whose adapter is not there says so, in the link's words.
void TestStation::anAdapterGoneSaysWhy()
{
    StationWindow window;
    QVERIFY(window.setParameterFile(dataPath("wanted-values.txt")));
    window.setPorts({QStringLiteral("/dev/nimbal-no-such-port")});
    window.setLogPath(m_dir.filePath(QStringLiteral("gone.csv")));
    QVERIFY(window.start());
    QFrame *tile = tiles(window).constFirst();
    QCOMPARE(verdictOf(tile), QStringLiteral("gone"));
    QVERIFY2(textOf(tile, "detail").endsWith(
                 QLatin1String("; the port is not there: is the adapter plugged in?")),
             qPrintable(textOf(tile, "detail")));
    window.stop();
}

// With the line's database set, a servo's row goes there too, with the
// station's name and the operator; with one that cannot be reached, the
// row waits in the log and the status line says why.
void TestStation::itsRowsGoToTheLinesDatabaseOrWait()
{
    QVERIFY2(!PostgresTest::folder().isEmpty(), "no PostgreSQL server (ctest's fixture)");
    const QString db = PostgresTest::freshDatabase(QStringLiteral("station_record"));
    QVERIFY(QProcess::execute(QStringLiteral(NIMBALCTL), {QStringLiteral("db"),
                                                          QStringLiteral("init"), db}) == 0);
    for (const QString &database :
         {PostgresTest::connection(QStringLiteral("station_no_such_db")), db}) {
        ServoSimulator servo;
        StationWindow window;
        QVERIFY(window.setParameterFile(dataPath("wanted-values.txt")));
        window.setPorts({servo.slavePath()});
        window.setLogPath(m_dir.filePath(database == db ? QStringLiteral("db.csv")
                                                        : QStringLiteral("away.csv")));
        window.setDatabase(database);
        window.setStationName(QStringLiteral("line-3"));
        window.setOperatorName(QStringLiteral("Chen"));
        QVERIFY(window.start());
        QTRY_COMPARE_WITH_TIMEOUT(verdictOf(tiles(window).constFirst()), QStringLiteral("pass"),
                                  kWaitMs);
        const auto status = [&window] {
            for (const QLabel *label : window.findChildren<QLabel *>()) {
                if (label->accessibleName() == QLatin1String("Database status"))
                    return label->text();
            }
            return QString();
        };
        if (database == db) {
            QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("database: every row sent"), kWaitMs);
            QCOMPARE(PostgresTest::query(QStringLiteral("station_record"),
                                         QStringLiteral("SELECT \"station\", \"operator\", "
                                                        "\"software\" FROM servo_records")),
                     (QVector<QStringList>{{QStringLiteral("line-3"), QStringLiteral("Chen"),
                                            QStringLiteral("nimbal-station " NIMBAL_VERSION)}}));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(QStringLiteral(
                                         "database: 1 row waiting: database %1: cannot connect: ")
                                                             .arg(database)),
                                     kWaitMs);
        }
        window.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isRunning(), kWaitMs);
    }
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
    // Kept from before, and overridden: the servo waits for no label.
    QSettings(QStringLiteral("Nimbal"), QStringLiteral("Nimbal Station"))
        .setValue(QStringLiteral("labels"), true);
    QProcess station;
    station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    station.start(QStringLiteral(NIMBAL_STATION),
                  {QStringLiteral("--file"), dataPath("wanted-values.txt"),
                   QStringLiteral("--port"), servo.slavePath(), QStringLiteral("--log"), log,
                   QStringLiteral("--no-labels"), QStringLiteral("--start"),
                   QStringLiteral("-platform"), QStringLiteral("offscreen")});
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
    QCOMPARE(kept.value(QStringLiteral("labels")).toBool(), false);
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
    QVERIFY(window.findChild<QCheckBox *>()->isChecked());
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
    // The link's words too.
    QVERIFY(shows(window, QStringLiteral("0 个舵机：0 个合格，0 个不合格")));
}

QTEST_MAIN(TestStation)
#include "tst_station.moc"
