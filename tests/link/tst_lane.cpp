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
    QCOMPARE(rowsWhenTold, (QList<int>{1, 2, 3, 4}));
    QCOMPARE(group.passed(), 4);
    QCOMPARE(group.lanes().at(0)->passed() + group.lanes().at(1)->passed(), 4);
    // Both lanes took servos while the other did.
    QVERIFY(group.lanes().at(0)->passed() >= 1 && group.lanes().at(1)->passed() >= 1);
    QVERIFY(first.values() == wanted() && second.values() == wanted());

    const QStringList rows = linesOf(log);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.first().split(QLatin1Char(',')).size(), 4 + 28 + 1);
    for (int i = 1; i < rows.size(); ++i) {
        const QStringList fields = rows.at(i).split(QLatin1Char(','));
        QCOMPARE(fields.size(), 4 + 28 + 1);
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
    QCOMPARE(fields.size(), 4 + 28 + 1);
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

QTEST_GUILESS_MAIN(TestLane)
#include "tst_lane.moc"
