// The production loop's lanes against simulated servos on pseudo-terminals,
// all in this thread: nothing waits in a loop of its own, so the servos and
// the lanes share the test's event loop.

#include "eventpasses.h"
#include "lane/lanegroup.h"
#include "parametervalues.h"
#include "referenceframe.h"
#include "servosimulator.h"
#include "textlines.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Long enough for any step here; a lane that hangs fails the test.
constexpr int kWaitMs = 10000;

ParameterSet wanted()
{
    return ParameterValues::with(Reference::startValues(),
                                 {{Parameter::TorqueGain, 40}, {Parameter::NeutralPoint, 1520}});
}

LaneGroup::Settings settingsFor(const QStringList &ports, int count = 0)
{
    LaneGroup::Settings settings;
    settings.ports = ports;
    settings.wanted = wanted();
    settings.timeoutMs = 100;
    settings.count = count;
    return settings;
}

// A servo that is unplugged once it has been set up, and plugged in again
// when its lane waits for the next.
void plugInTurn(Lane *lane, ServoSimulator *servo)
{
    QObject::connect(lane, &Lane::stateChanged, servo, [servo](Lane::State state) {
        servo->setSilent(state == Lane::State::WaitingUntilGone);
    });
}

// What a person's hands do to the servos, at times from now: plugging them
// in and out by the clock, never by what a lane shows.
void at(int ms, const std::function<void()> &hands)
{
    QTimer::singleShot(ms, hands);
}

// Counts in `writes` the write requests a servo gets: each is a set-up.
void countWrites(ServoSimulator &servo, int *writes)
{
    QObject::connect(&servo, &ServoSimulator::requestReceived, &servo,
                     [writes](const QByteArray &request) {
                         if (Reference::flagsOf(request) & Reference::kWriteRequest)
                             ++*writes;
                     });
}

// A servo with its own factory values: one that was not set up yet.
ParameterSet factoryValues(int integralSpeed)
{
    return ParameterValues::with(ServoSimulator::startValues(),
                                 {{Parameter::IntegralSpeed, integralSpeed}});
}

// A log with a row of an earlier run: servo 9, passed, label SN-9.
QString earlierLog(const QTemporaryDir &dir)
{
    const QString log = dir.filePath(QStringLiteral("earlier.csv"));
    QFile::remove(log);
    QFile::copy(QStringLiteral(NIMBAL_TEST_DATA "/earlier-log.csv"), log);
    QFile::setPermissions(log, QFile::ReadOwner | QFile::WriteOwner);
    return log;
}

// The result of the one servo a group with a count of 1 sets up; nothing
// when it does not come, or more do.
std::optional<Lane::Result> oneServo(LaneGroup &group)
{
    QSignalSpy done(&group, &LaneGroup::servoDone);
    QSignalSpy finished(&group, &LaneGroup::finished);
    group.start();
    if (!finished.wait(kWaitMs) || done.size() != 1)
        return std::nullopt;
    return done.first().at(2).value<Lane::Result>();
}

} // namespace

class TestLane : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<ServoSetUp::Result>(); }
    void twoLanesSetUpTheirServosAtOnceAndLogEveryRow();
    void aServoThatKeepsItsOwnValueFails();
    void aServoUnpluggedDuringItsSetUpFailsAndIsLogged();
    void anAdapterGoneIsTriedEverySecondUntilItIsBack();
    void aServoLeftPluggedInIsSetUpOnce();
    void aServoSwappedInWithinTheSecondIsSetUp();
    void labelsGoToTheServosInTheOrderTheyWereFound();
    void aSwapWhileTheLabelIsAwaitedLogsTheServoSetUp();
};

// Two ports, four servos counted together, every row whole and in order,
// and each in the log before its verdict is told.
void TestLane::twoLanesSetUpTheirServosAtOnceAndLogEveryRow()
{
    ServoSimulator first, second;
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("servos.csv"));
    LaneGroup group(settingsFor({first.slavePath(), second.slavePath()}, 4));
    QString reason;
    QVERIFY2(group.openLog(log, &reason), qPrintable(reason));
    plugInTurn(group.lanes().at(0), &first);
    plugInTurn(group.lanes().at(1), &second);
    QList<int> numbers;
    QList<int> rowsWhenTold;
    connect(&group, &LaneGroup::servoDone, this, [&](Lane *, int number, const Lane::Result &) {
        numbers.append(number);
        rowsWhenTold.append(int(linesOf(log).size()) - 1);
    });
    QSignalSpy finished(&group, &LaneGroup::finished);

    group.start();
    QVERIFY(finished.wait(kWaitMs));
    QCOMPARE(numbers, (QList<int>{1, 2, 3, 4}));
    // Each servo's row is in the log when its verdict is told (the next
    // one's may be too: the log is written on a thread of its own).
    for (int i = 0; i < numbers.size(); ++i)
        QVERIFY2(rowsWhenTold.at(i) >= numbers.at(i), qPrintable(QString::number(i)));
    QCOMPARE(group.passed(), 4);
    QCOMPARE(group.lanes().at(0)->passed() + group.lanes().at(1)->passed(), 4);
    // Both lanes took servos while the other did.
    QVERIFY(group.lanes().at(0)->passed() >= 1 && group.lanes().at(1)->passed() >= 1);
    QVERIFY(first.values() == wanted() && second.values() == wanted());

    const QStringList rows = linesOf(log);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.first().split(QLatin1Char(',')).size(), 4 + 28 + 10);
    for (int i = 1; i < rows.size(); ++i) {
        const QStringList fields = rows.at(i).split(QLatin1Char(','));
        QCOMPARE(fields.size(), 4 + 28 + 10);
        QCOMPARE(fields.at(2), QString::number(i));
        QVERIFY(fields.at(1) == first.slavePath() || fields.at(1) == second.slavePath());
        QCOMPARE(fields.at(3), QStringLiteral("PASS"));
    }
}

void TestLane::aServoThatKeepsItsOwnValueFails()
{
    ServoSimulator servo;
    servo.forceStoredValue(Parameter::NeutralPoint, 1500);
    LaneGroup group(settingsFor({servo.slavePath()}, 1));
    const std::optional<Lane::Result> found = oneServo(group);
    QVERIFY(found);
    const Lane::Result &result = *found;
    QCOMPARE(int(result.outcome), int(Lane::Result::Outcome::Mismatch));
    QCOMPARE(result.differing, QVector<Parameter>{Parameter::NeutralPoint});
    QCOMPARE(result.after->value(Parameter::NeutralPoint), 1500);
    QCOMPARE(result.before, ServoSimulator::startValues());
    QCOMPARE(group.failed(), 1);
}

// The servo stops answering once it has the write request: a FAIL that says
// what came back, logged without values read back.
void TestLane::aServoUnpluggedDuringItsSetUpFailsAndIsLogged()
{
    ServoSimulator servo;
    connect(&servo, &ServoSimulator::requestReceived, &servo, [&servo](const QByteArray &request) {
        if (Reference::flagsOf(request) & Reference::kWriteRequest)
            servo.setSilent(true);
    });
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("servos.csv"));
    LaneGroup group(settingsFor({servo.slavePath()}, 1));
    QString reason;
    QVERIFY(group.openLog(log, &reason));
    const std::optional<Lane::Result> found = oneServo(group);
    QVERIFY(found);
    const Lane::Result &result = *found;
    QCOMPARE(int(result.outcome), int(Lane::Result::Outcome::NoAnswer));
    QCOMPARE(int(result.step), int(Lane::Result::Step::Write));
    QCOMPARE(int(result.reply.finding.kind), int(LineFinding::Kind::Nothing));
    const QStringList fields = linesOf(log).value(1).split(QLatin1Char(','));
    QCOMPARE(fields.at(3), QStringLiteral("FAIL"));
    QCOMPARE(fields.mid(4, 14).join(QLatin1Char(',')),
             QStringLiteral("32,200,16,50,900,2100,25,1520,399,100,120,1,1,0"));
    QCOMPARE(fields.mid(4 + 14, 14).join(QString()), QString());
    QCOMPARE(fields.size(), 4 + 28 + 10);
}

// The adapter goes away (the simulator vanishes) and a new one comes at the
// same path: the lane carries on, its counts kept, and while it is gone it
// only tries the port once a second.
void TestLane::anAdapterGoneIsTriedEverySecondUntilItIsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ttyNIMBAL"));
    auto servo = std::make_unique<ServoSimulator>();
    QVERIFY(QFile::link(servo->slavePath(), path));
    Lane lane({path, wanted(), 100, 0, false});
    plugInTurn(&lane, servo.get());
    QSignalSpy done(&lane, &Lane::servoDone);
    lane.start();
    QVERIFY(done.wait(kWaitMs));
    QTRY_COMPARE_WITH_TIMEOUT(lane.state(), Lane::State::WaitingUntilGone, kWaitMs);

    servo->vanish();
    QTRY_COMPARE_WITH_TIMEOUT(lane.state(), Lane::State::AdapterGone, kWaitMs);
    const int attempts = lane.openAttempts();
    EventPasses::run();
    QCOMPARE(lane.openAttempts(), attempts);

    servo = std::make_unique<ServoSimulator>();
    plugInTurn(&lane, servo.get());
    QVERIFY(QFile::remove(path) && QFile::link(servo->slavePath(), path));
    QVERIFY(done.wait(kWaitMs));
    QCOMPARE(lane.passed(), 2);
    QVERIFY(servo->values() == wanted());
    lane.stop();
    QCOMPARE(lane.state(), Lane::State::Stopped);
}

// Five seconds in the jig: one write, however often the servo answers.
void TestLane::aServoLeftPluggedInIsSetUpOnce()
{
    ServoSimulator servo;
    int writes = 0;
    countWrites(servo, &writes);
    Lane lane({servo.slavePath(), wanted(), 100, 0, false});
    lane.start();
    QTest::qWait(5000);
    QCOMPARE(writes, 1);
    QCOMPARE(lane.passed(), 1);
    QVERIFY(servo.requestsSeen() > 15); // it was asked all along
    lane.stop();
}

// The first servo is pulled at 0.6 s and the next pushed in 0.3 s later,
// well within the second that tells a servo gone: it is set up too.
void TestLane::aServoSwappedInWithinTheSecondIsSetUp()
{
    ServoSimulator servo;
    int writes = 0;
    countWrites(servo, &writes);
    Lane lane({servo.slavePath(), wanted(), 100, 0, false});
    at(600, [&] { servo.setSilent(true); });
    at(900, [&] {
        servo.setValues(factoryValues(11));
        servo.setSilent(false);
    });
    lane.start();
    QTRY_COMPARE_WITH_TIMEOUT(writes, 2, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(lane.passed(), 2, kWaitMs);
    QVERIFY(servo.values() == wanted());
    lane.stop();
}

// Two lanes, one scanner: the servo found first gets the first label; a
// label that passed in the log, or that another lane's servo holds, is
// refused; a label scanned while no servo waits is kept for the next.
// Servos are numbered on from the log's last.
void TestLane::labelsGoToTheServosInTheOrderTheyWereFound()
{
    ServoSimulator first, second;
    QTemporaryDir dir;
    const QString log = earlierLog(dir);
    LaneGroup::Settings settings = settingsFor({first.slavePath(), second.slavePath()});
    settings.labels = true;
    LaneGroup group(settings);
    QString reason;
    QVERIFY(group.openLog(log, &reason));
    QSignalSpy refused(&group, &LaneGroup::labelRefused);
    QSignalSpy done(&group, &LaneGroup::servoDone);
    Lane *firstLane = group.lanes().at(0);
    Lane *secondLane = group.lanes().at(1);
    // The second lane's servo is plugged in first.
    first.setSilent(true);
    at(400, [&] { first.setSilent(false); });
    group.start();

    QTRY_COMPARE_WITH_TIMEOUT(group.laneForNextLabel(), secondLane, kWaitMs);
    group.offerLabel(QStringLiteral("SN-9"));
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.at(0).at(1).toString(),
             QStringLiteral("label SN-9 has passed already in this log"));
    group.offerLabel(QStringLiteral("  SN-1 "));
    QCOMPARE(secondLane->label(), QStringLiteral("SN-1"));
    QTRY_COMPARE_WITH_TIMEOUT(group.laneForNextLabel(), firstLane, kWaitMs);
    group.offerLabel(QStringLiteral("SN-1"));
    QCOMPARE(refused.size(), 2);
    QCOMPARE(refused.at(1).at(1).toString(),
             QStringLiteral("label SN-1 is on the servo of %1 already").arg(second.slavePath()));
    group.offerLabel(QStringLiteral("SN-2"));
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, kWaitMs);

    // Both servos stay in; a label scanned now waits for the next servo.
    group.offerLabel(QStringLiteral("SN-3"));
    QCOMPARE(group.keptLabel(), QStringLiteral("SN-3"));
    group.offerLabel(QStringLiteral("SN-4"));
    QCOMPARE(refused.size(), 3);
    first.setValues(factoryValues(12)); // swapped for a new one
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 3, kWaitMs);
    QCOMPARE(group.keptLabel(), QString());
    group.stop();

    QStringList rows = linesOf(log).mid(2);
    QCOMPARE(rows.size(), 3);
    for (QString &row : rows) {
        const QStringList fields = row.split(QLatin1Char(','));
        row = fields.at(2) + QLatin1Char(' ') + fields.at(1) + QLatin1Char(' ') + fields.at(32);
    }
    rows.sort();
    QCOMPARE(rows, (QStringList{QStringLiteral("10 %1 SN-1").arg(second.slavePath()),
                                QStringLiteral("11 %1 SN-2").arg(first.slavePath()),
                                QStringLiteral("12 %1 SN-3").arg(first.slavePath())}));
}

// A servo swapped for another while its label is awaited: the row holds
// what the one set up held before. Then one more waits for its label and
// the lanes are stopped: nothing is written to it, nothing is logged.
void TestLane::aSwapWhileTheLabelIsAwaitedLogsTheServoSetUp()
{
    ServoSimulator servo;
    servo.setValues(factoryValues(21));
    int writes = 0;
    countWrites(servo, &writes);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("servos.csv"));
    LaneGroup::Settings settings = settingsFor({servo.slavePath()});
    settings.labels = true;
    LaneGroup group(settings);
    QString reason;
    QVERIFY(group.openLog(log, &reason));
    QSignalSpy done(&group, &LaneGroup::servoDone);
    at(300, [&] { servo.setSilent(true); });
    at(500, [&] {
        servo.setValues(factoryValues(22));
        servo.setSilent(false);
    });
    at(800, [&] { group.offerLabel(QStringLiteral("SN-22")); });
    group.start();
    QVERIFY(done.wait(kWaitMs));
    QCOMPARE(linesOf(log).value(1).split(QLatin1Char(',')).mid(4, 14).join(QLatin1Char(',')),
             QStringLiteral("32,200,16,22,900,2100,25,1520,399,100,120,1,1,0"));

    servo.setValues(factoryValues(23));
    QTRY_COMPARE_WITH_TIMEOUT(group.laneForNextLabel(), group.lanes().at(0), kWaitMs);
    QSignalSpy finished(&group, &LaneGroup::finished);
    group.stop();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(writes, 1);
    QCOMPARE(linesOf(log).size(), 2);
}

QTEST_GUILESS_MAIN(TestLane)
#include "tst_lane.moc"
