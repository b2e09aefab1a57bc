// The real nimbalctl, started as a process, against a simulated servo on a
// pseudo-terminal that this test plays. The test's event loop keeps running
// while the program does, so the servo answers as a real one would.

#include "files/parameterfile.h"
#include "nimbalversion.h"
#include "protocol/parameterframe.h"
#include "referenceframe.h"
#include "servosimulator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longer than any command here takes when it works; a hang fails the test.
constexpr int kProcessLimitMs = 20000;

struct Run
{
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// Reacts to a whole line the program writes on standard error.
using LineHandler = std::function<void(const QString &line, QProcess &process)>;

Run runProgram(const QString &program, const QStringList &arguments,
               const LineHandler &onErrorLine = {})
{
    QProcess process;
    Run run;
    QString pending;
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, [&] {
        const QString text = QString::fromLocal8Bit(process.readAllStandardError());
        run.err += text;
        pending += text;
        int end;
        while ((end = pending.indexOf(QLatin1Char('\n'))) >= 0) {
            const QString line = pending.left(end);
            pending.remove(0, end + 1);
            if (onErrorLine)
                onErrorLine(line, process);
        }
    });
    QEventLoop loop;
    QObject::connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(kProcessLimitMs, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return run;
    loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.finished = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err += QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

Run nimbalctl(const QStringList &arguments, const LineHandler &onErrorLine = {})
{
    return runProgram(QStringLiteral(NIMBALCTL), arguments, onErrorLine);
}

// Lets the servo take in whatever is still on its way to it.
void drain()
{
    for (int pass = 0; pass < 10; ++pass)
        QCoreApplication::processEvents();
}

ParameterSet wanted()
{
    ParameterSet values = ParameterSet::startValues();
    values.setValue(Parameter::TorqueGain, 40);
    values.setValue(Parameter::NeutralPoint, 1520);
    values.setValue(Parameter::SoftStart, 1);
    return values;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

QByteArray readRequest()
{
    return Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A3 AA");
}

using ParameterFile::lineOf;

} // namespace

#define VERIFY_RUN(run, code)                                                                      \
    do {                                                                                           \
        QVERIFY2((run).finished, qPrintable(QStringLiteral("did not end: ") + (run).err));         \
        QVERIFY2((run).exitCode == (code),                                                         \
                 qPrintable(QStringLiteral("exit %1, stdout: %2, stderr: %3")                      \
                                .arg((run).exitCode)                                               \
                                .arg((run).out, (run).err)));                                      \
    } while (0)

class NimbalctlTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void usage_data();
    void usage();
    void helpAndManualPageAgree_data();
    void helpAndManualPageAgree();
    void readFormats_data();
    void readFormats();
    void readThroughNoiseSplitsAndEcho();
    void readOutSavesTheLineAndPrintsNothing();
    void readShowsOutOfRangeValuesAsTheWindowWould();
    void writeVerifies_data();
    void writeVerifies();
    void storedValueDifferingIsAMismatch();
    void strictlyInvalidFileSendsNothing_data();
    void strictlyInvalidFileSendsNothing();
    void setChangesNamedParameters();
    void setRefusesBadNamesAndValues_data();
    void setRefusesBadNamesAndValues();
    void diffComparesFilesAndServo();
    void linkTroubleSaysWhyInOneLine_data();
    void linkTroubleSaysWhyInOneLine();
    void permissionProblemNamesTheGroup();
    void verboseTracesFrames();
    void portsListsAsJson();
    void batchSetsUpServoAfterServo();
    void batchEndsOnSigtermWithASummary();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServoSimulator> m_servo;
    QString m_port;
};

void NimbalctlTest::init()
{
    QVERIFY(m_dir.isValid());
    m_servo = std::make_unique<ServoSimulator>();
    QVERIFY2(m_servo->isOpen(), qPrintable(m_servo->errorString()));
    m_port = m_servo->slavePath();
}

void NimbalctlTest::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutPattern");
    QTest::addColumn<QString>("stderrPattern");

    QTest::newRow("no command") << QStringList() << 2 << "^$"
                                << "no command given";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << "^$"
                                     << "no such command: frobnicate";
    QTest::newRow("unknown option") << QStringList{"read", "--colour"} << 2 << "^$"
                                    << "read: Unknown option 'colour'";
    QTest::newRow("read without a port") << QStringList{"read"} << 2 << "^$"
                                         << "read: no port: give --port PORT or set NIMBAL_PORT";
    QTest::newRow("bad format") << QStringList{"read", "-p", "x", "--format", "xml"} << 2 << "^$"
                                << "--format takes table, line or json, not 'xml'";
    QTest::newRow("bad timeout") << QStringList{"read", "-p", "x", "--timeout", "0"} << 2 << "^$"
                                 << "--timeout takes a whole number";
    QTest::newRow("write without a file") << QStringList{"write", "-p", "x"} << 2 << "^$"
                                          << "usage: nimbalctl write";
    QTest::newRow("help") << QStringList{"--help"} << 0
                          << "(?s)ports.*read.*write.*set.*diff.*batch.*NIMBAL_PORT.*"
                             "0  success.*1  a verification mismatch.*2  bad usage.*"
                             "3  the port could not be opened.*4  no answer"
                          << "^$";
    QTest::newRow("help of a command") << QStringList{"help", "batch"} << 0
                                       << "(?s)Usage: nimbalctl batch.*--log CSV.*--count N.*"
                                          "--port PORT.*--timeout MS.*--retries N.*--verbose"
                                       << "^$";
    QTest::newRow("command's --help")
        << QStringList{"read", "--help"} << 0 << "(?s)Usage: nimbalctl read.*--format.*--out"
        << "^$";
    QTest::newRow("version")
        << QStringList{"--version"} << 0
        << QStringLiteral("^nimbalctl %1\n$").arg(QStringLiteral(NIMBAL_VERSION)) << "^$";
}

void NimbalctlTest::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutPattern);
    QFETCH(QString, stderrPattern);

    const Run run = nimbalctl(arguments);
    VERIFY_RUN(run, exitCode);
    QVERIFY2(QRegularExpression(stdoutPattern).match(run.out).hasMatch(), qPrintable(run.out));
    QVERIFY2(QRegularExpression(stderrPattern).match(run.err).hasMatch(), qPrintable(run.err));
}

void NimbalctlTest::helpAndManualPageAgree_data()
{
    QTest::addColumn<QString>("command");
    // Every command the help lists.
    const Run run = nimbalctl({QStringLiteral("--help")});
    const QString commands = run.out.section(QStringLiteral("\nCommands:\n"), 1)
                                 .section(QStringLiteral("\n\n"), 0, 0);
    const QRegularExpression name(QStringLiteral("^  ([a-z]+)"),
                                  QRegularExpression::MultilineOption);
    auto names = name.globalMatch(commands);
    while (names.hasNext()) {
        const QString command = names.next().captured(1);
        QTest::newRow(qPrintable(command)) << command;
    }
}

// Every option a command's help names is in the manual page, and so is
// every exit status the help gives.
void NimbalctlTest::helpAndManualPageAgree()
{
    QFETCH(QString, command);
    QFile page(QStringLiteral(NIMBALCTL_MANUAL));
    QVERIFY(page.open(QIODevice::ReadOnly | QIODevice::Text));
    // The page's "\-\-port" is the help's "--port".
    const QString manual = QString::fromUtf8(page.readAll()).remove(QLatin1Char('\\'));
    const Run run = nimbalctl({QStringLiteral("help"), command});
    VERIFY_RUN(run, 0);

    QVERIFY(manual.contains(QStringLiteral(".B %1").arg(command)));
    const QRegularExpression option(QStringLiteral("(?:^|[ \\[,])(--?[a-z][a-z-]*)"));
    auto options = option.globalMatch(run.out);
    int seen = 0;
    while (options.hasNext()) {
        const QString name = options.next().captured(1);
        QVERIFY2(manual.contains(name), qPrintable(name));
        ++seen;
    }
    QVERIFY(seen >= 2);
    const QRegularExpression status(QStringLiteral("^  (\\d)  "),
                                    QRegularExpression::MultilineOption);
    auto statuses = status.globalMatch(run.out);
    int statusCount = 0;
    while (statuses.hasNext()) {
        QVERIFY(manual.contains(QStringLiteral(".B %1\n").arg(statuses.next().captured(1))));
        ++statusCount;
    }
    QCOMPARE(statusCount, 5);
}

void NimbalctlTest::readFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("table") << "table";
    QTest::newRow("line") << "line";
    QTest::newRow("json") << "json";
}

void NimbalctlTest::readFormats()
{
    QFETCH(QString, format);
    const ParameterSet held = ServoSimulator::startValues();
    const Run run = nimbalctl({QStringLiteral("read"), QStringLiteral("--port"), m_port,
                               QStringLiteral("--format"), format});
    VERIFY_RUN(run, 0);
    QCOMPARE(run.err, QString());
    QCOMPARE(m_servo->receivedBytes(), readRequest());

    if (format == QLatin1String("line")) {
        QCOMPARE(run.out, lineOf(held) + QLatin1Char('\n'));
    } else if (format == QLatin1String("json")) {
        const QJsonObject object = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(object.size(), int(kParameterCount));
        for (const ParameterInfo &param : kParameters) {
            const QJsonValue value = object.value(QLatin1String(param.name));
            if (isSwitch(param.id))
                QCOMPARE(value, QJsonValue(held.isOn(param.id)));
            else
                QCOMPARE(value, QJsonValue(held.value(param.id)));
        }
    } else {
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), int(kParameterCount) + 1);
        QVERIFY(QRegularExpression(QStringLiteral("^Neutral Point +1520  500\\.\\.2500$"))
                    .match(lines.at(8))
                    .hasMatch());
        QVERIFY(QRegularExpression(QStringLiteral("^LOCK Protection +off  off/on$"))
                    .match(lines.last())
                    .hasMatch());
    }
}

void NimbalctlTest::readThroughNoiseSplitsAndEcho()
{
    m_servo->setNoise(11);
    m_servo->setSplitSizes({1, 6, 2});
    m_servo->setEcho(true);
    const Run run = nimbalctl({QStringLiteral("read"), QStringLiteral("-p"), m_port,
                               QStringLiteral("--format"), QStringLiteral("line")});
    VERIFY_RUN(run, 0);
    QCOMPARE(run.out, lineOf(ServoSimulator::startValues()) + QLatin1Char('\n'));
    QCOMPARE(m_servo->requestsSeen(), 1);
}

void NimbalctlTest::readOutSavesTheLineAndPrintsNothing()
{
    const QString out = m_dir.filePath(QStringLiteral("saved.txt"));
    const Run run = nimbalctl(
        {QStringLiteral("read"), QStringLiteral("-p"), m_port, QStringLiteral("--out"), out});
    VERIFY_RUN(run, 0);
    QCOMPARE(run.out, QString());
    QFile saved(out);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(saved.readAll()), lineOf(ServoSimulator::startValues()));
}

void NimbalctlTest::readShowsOutOfRangeValuesAsTheWindowWould()
{
    ParameterSet held = ServoSimulator::startValues();
    held.setValue(Parameter::Sensitivity, 200);
    held.setValue(Parameter::MinPulseWidth, 0);
    m_servo->setValues(held);
    const Run run = nimbalctl({QStringLiteral("read"), QStringLiteral("-p"), m_port,
                               QStringLiteral("--format"), QStringLiteral("line")});
    VERIFY_RUN(run, 0);
    QCOMPARE(run.out, lineOf(held.clamped()) + QLatin1Char('\n'));
    QVERIFY2(run.err.contains(QStringLiteral("Sensitivity 200, outside 0 to 50; shown as 50")),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("Min Pulse Width 0, outside 500 to 2500")),
             qPrintable(run.err));
}

void NimbalctlTest::writeVerifies_data()
{
    QTest::addColumn<bool>("verify");
    QTest::newRow("verified") << true;
    QTest::newRow("--no-verify") << false;
}

void NimbalctlTest::writeVerifies()
{
    QFETCH(bool, verify);
    const QString file =
        writeFile(m_dir, QStringLiteral("wanted.txt"), lineOf(wanted()).toLatin1());
    QStringList arguments = {QStringLiteral("write"), QStringLiteral("-p"), m_port, file};
    if (!verify)
        arguments.insert(1, QStringLiteral("--no-verify"));
    const Run run = nimbalctl(arguments);
    VERIFY_RUN(run, 0);
    QVERIFY(m_servo->values() == wanted());
    QByteArray expected = ParameterFrame::encode(wanted(), ParameterFrame::kWriteRequestBit);
    if (verify)
        expected += readRequest();
    QCOMPARE(m_servo->receivedBytes(), expected);
}

void NimbalctlTest::storedValueDifferingIsAMismatch()
{
    m_servo->forceStoredValue(Parameter::NeutralPoint, 1500);
    const QString file =
        writeFile(m_dir, QStringLiteral("wanted.txt"), lineOf(wanted()).toLatin1());
    const Run run = nimbalctl({QStringLiteral("write"), QStringLiteral("-p"), m_port, file});
    VERIFY_RUN(run, 1);
    QCOMPARE(run.out, QStringLiteral("Neutral Point: wanted 1520, servo 1500\n"));
    QVERIFY2(run.err.contains(m_port + QStringLiteral(": verification failed: 1 of 14 values "
                                                      "differ")),
             qPrintable(run.err));
}

void NimbalctlTest::strictlyInvalidFileSendsNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    QTest::newRow("thirteen fields")
        << QByteArray("0,0,0,0,500,2500,0,1500,0,0,0,0,0") << "has 13 fields, not 14";
    QTest::newRow("empty file") << QByteArray() << "has 1 field, not 14";
    QTest::newRow("not decimal")
        << QByteArray("0,0,0x1F,0,500,2500,0,1500,0,0,0,0,0,0")
        << "field 3 (Integral Gain) is \"0x1F\", not a decimal integer (0 to 255)";
    QTest::newRow("empty field") << QByteArray("0,0,0,0,500,2500,0,,0,0,0,0,0,0")
                                 << "field 8 (Neutral Point) is \"\", not a decimal integer (500 "
                                    "to 2500)";
    QTest::newRow("out of range") << QByteArray("0,0,0,0,500,3000,0,1500,0,0,0,0,0,0")
                                  << "field 6 (MAX Pulse Width) is \"3000\", outside 500 to 2500";
    QTest::newRow("below range") << QByteArray("0,-1,0,0,500,2500,0,1500,0,0,0,0,0,0")
                                 << "field 2 (Brake Gain) is \"-1\", outside 0 to 255";
    QTest::newRow("switch 2") << QByteArray("0,0,0,0,500,2500,0,1500,0,0,0,0,2,0")
                              << "field 13 (Soft Start) is \"2\", not 0 or 1";
}

void NimbalctlTest::strictlyInvalidFileSendsNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString file = writeFile(m_dir, QStringLiteral("bad.txt"), content);
    for (const QString &command :
         {QStringLiteral("write"), QStringLiteral("batch"), QStringLiteral("diff")}) {
        const Run run = nimbalctl({command, QStringLiteral("-p"), m_port, file});
        VERIFY_RUN(run, 2);
        QCOMPARE(run.err, QStringLiteral("nimbalctl: %1: %2\n").arg(file, message));
    }
    drain();
    QCOMPARE(m_servo->receivedBytes(), QByteArray());
}

void NimbalctlTest::setChangesNamedParameters()
{
    const Run run =
        nimbalctl({QStringLiteral("set"), QStringLiteral("-p"), m_port,
                   QStringLiteral("neutral-point=1600"), QStringLiteral("Soft Start=off"),
                   QStringLiteral("torque_gain=7"), QStringLiteral("LOCKPROTECTION=true")});
    VERIFY_RUN(run, 0);
    ParameterSet expected = ServoSimulator::startValues();
    expected.setValue(Parameter::NeutralPoint, 1600);
    expected.setValue(Parameter::SoftStart, 0);
    expected.setValue(Parameter::TorqueGain, 7);
    expected.setValue(Parameter::LOCKProtection, 1);
    QVERIFY(m_servo->values() == expected);
    // Read, write, read back.
    QCOMPARE(m_servo->requestsSeen(), 3);
}

void NimbalctlTest::setRefusesBadNamesAndValues_data()
{
    QTest::addColumn<QString>("assignment");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown name") << "Speed=3"
                                  << "no parameter is called 'Speed'";
    QTest::newRow("no value") << "NeutralPoint"
                              << "'NeutralPoint' is not NAME=VALUE";
    QTest::newRow("out of range") << "MAXDuty=400"
                                  << "MAX Duty takes a whole number from 0 to 399, not '400'";
    QTest::newRow("switch word") << "SoftStart=maybe"
                                 << "Soft Start takes on/off, true/false or 1/0, not 'maybe'";
}

void NimbalctlTest::setRefusesBadNamesAndValues()
{
    QFETCH(QString, assignment);
    QFETCH(QString, message);
    const Run run = nimbalctl({QStringLiteral("set"), QStringLiteral("-p"), m_port, assignment});
    VERIFY_RUN(run, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("NeutralPoint (Neutral Point) 500..2500")),
             qPrintable(run.err));
    drain();
    QCOMPARE(m_servo->receivedBytes(), QByteArray());
}

void NimbalctlTest::diffComparesFilesAndServo()
{
    const QString a = writeFile(m_dir, QStringLiteral("a.txt"), lineOf(wanted()).toLatin1());
    const QString b = writeFile(m_dir, QStringLiteral("b.txt"),
                                lineOf(ServoSimulator::startValues()).toLatin1() + "\r\nmore");

    Run run = nimbalctl({QStringLiteral("diff"), a, a});
    VERIFY_RUN(run, 0);
    QCOMPARE(run.out, QString());

    run = nimbalctl({QStringLiteral("diff"), QStringLiteral("-p"), m_port, b});
    VERIFY_RUN(run, 0);
    QCOMPARE(m_servo->requestsSeen(), 1);

    run = nimbalctl({QStringLiteral("diff"), QStringLiteral("-p"), m_port, a});
    VERIFY_RUN(run, 1);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Every field but Neutral Point, Soft Start and LOCK Protection.
    QCOMPARE(lines.size(), 11);
    QVERIFY2(lines.contains(QStringLiteral("Torque Gain: %1 40, servo 32").arg(a)),
             qPrintable(run.out));
    QVERIFY2(lines.contains(QStringLiteral("Reversed Rotation: %1 off, servo on").arg(a)),
             qPrintable(run.out));
}

void NimbalctlTest::linkTroubleSaysWhyInOneLine_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // after "nimbalctl: PORT: "

    QTest::newRow("silent servo") << "silent" << 4
                                  << "no answer to the read request after 3 attempts of 60 ms";
    // Ending on the timeout instead would take longer than the process may.
    QTest::newRow("port vanishes") << "vanish" << 3 << "port lost: ";
    QTest::newRow("no such port") << "missing" << 3 << "cannot open: No such file or directory";
    QTest::newRow("held by another program")
        << "busy" << 3 << "cannot open: .*; another program has it open";
}

void NimbalctlTest::linkTroubleSaysWhyInOneLine()
{
    QFETCH(QString, trouble);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const QString port =
        trouble == QLatin1String("missing") ? QStringLiteral("/dev/nimbal-no-such-port") : m_port;
    QSerialPort other(port);
    if (trouble == QLatin1String("busy"))
        QVERIFY(other.open(QIODevice::ReadWrite));
    m_servo->setSilent(true);
    if (trouble == QLatin1String("vanish"))
        connect(m_servo.get(), &ServoSimulator::requestReceived, m_servo.get(),
                [this] { m_servo->vanish(); });
    const QString timeout = trouble == QLatin1String("silent") ? QStringLiteral("60")
                                                               : QString::number(kProcessLimitMs);
    const Run run = nimbalctl(
        {QStringLiteral("read"), QStringLiteral("-p"), port, QStringLiteral("--timeout"), timeout});
    VERIFY_RUN(run, exitCode);
    const QRegularExpression line(
        QStringLiteral("^nimbalctl: %1: %2.*\n$").arg(QRegularExpression::escape(port), message));
    QVERIFY2(line.match(run.err).hasMatch(), qPrintable(run.err));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    if (trouble == QLatin1String("silent"))
        QCOMPARE(m_servo->requestsSeen(), 3);
}

// A user outside the device's group: run as nobody against a port that only
// its group may open.
void NimbalctlTest::permissionProblemNamesTheGroup()
{
    if (::geteuid() != 0)
        QSKIP("needs root to hand the port to a group and run as another user");
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    const struct group *dialout = ::getgrnam("dialout");
    if (setpriv.isEmpty() || !dialout)
        QSKIP("needs setpriv and a dialout group");
    const QByteArray path = QFile::encodeName(m_port);
    QVERIFY(::chown(path.constData(), 0, dialout->gr_gid) == 0);
    QVERIFY(::chmod(path.constData(), 0660) == 0);

    const Run run =
        runProgram(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                             QStringLiteral("--clear-groups"), QStringLiteral(NIMBALCTL),
                             QStringLiteral("read"), QStringLiteral("-p"), m_port});
    VERIFY_RUN(run, 3);
    QCOMPARE(run.err, QStringLiteral("nimbalctl: %1: cannot open: Permission denied; the device "
                                     "belongs to group dialout: add yourself with 'sudo usermod "
                                     "-aG dialout \"$USER\"', then log out and in again\n")
                          .arg(m_port));
}

void NimbalctlTest::verboseTracesFrames()
{
    const Run run = nimbalctl({QStringLiteral("read"), QStringLiteral("-v"), QStringLiteral("-p"),
                               m_port, QStringLiteral("--format"), QStringLiteral("line")});
    VERIFY_RUN(run, 0);
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
    QVERIFY(stamp.match(lines.at(0)).hasMatch());
    QVERIFY2(lines.at(0).endsWith(
                 QStringLiteral("TX 55 00 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A3 AA")),
             qPrintable(lines.at(0)));
    const QByteArray answer =
        ParameterFrame::encode(ServoSimulator::startValues(), ParameterFrame::kReadAnswerBit);
    QVERIFY2(lines.at(1).endsWith(QStringLiteral("RX ") +
                                  QString::fromLatin1(answer.toHex(' ').toUpper())),
             qPrintable(lines.at(1)));
}

void NimbalctlTest::portsListsAsJson()
{
    const Run run = nimbalctl({QStringLiteral("ports"), QStringLiteral("--json")});
    VERIFY_RUN(run, 0);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QVERIFY(document.isArray());
    for (const QJsonValue &port : document.array()) {
        for (const char *key : {"name", "systemLocation", "description", "manufacturer",
                                "serialNumber", "usb", "byId"})
            QVERIFY2(port.toObject().contains(QLatin1String(key)), key);
    }
}

// Three servos plugged in and out in turn; the second one keeps its own
// Neutral Point whatever it is told.
void NimbalctlTest::batchSetsUpServoAfterServo()
{
    const QString file =
        writeFile(m_dir, QStringLiteral("wanted.txt"), lineOf(wanted()).toLatin1());
    const QString log = m_dir.filePath(QStringLiteral("batch.csv"));
    ParameterSet original[3];
    for (int i = 0; i < 3; ++i) {
        original[i] = ServoSimulator::startValues();
        original[i].setValue(Parameter::IntegralSpeed, 10 + i);
    }
    m_servo->setSilent(true);
    int plugged = 0;
    const QRegularExpression waiting(QStringLiteral(": waiting for servo (\\d)$"));
    const QRegularExpression done(QStringLiteral(": servo (\\d) done: unplug it$"));
    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port, QStringLiteral("--log"),
                   log, QStringLiteral("--count"), QStringLiteral("3"), file},
                  [&](const QString &line, QProcess &) {
                      if (waiting.match(line).hasMatch()) {
                          m_servo->clearForcedValues();
                          if (plugged == 1)
                              m_servo->forceStoredValue(Parameter::NeutralPoint, 1500);
                          m_servo->setValues(original[plugged++]);
                          m_servo->setSilent(false);
                      } else if (done.match(line).hasMatch()) {
                          m_servo->setSilent(true);
                      }
                  });
    VERIFY_RUN(run, 1);
    QCOMPARE(plugged, 3);

    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    const QString time = QStringLiteral("\\d\\d:\\d\\d:\\d\\d");
    QVERIFY2(
        QRegularExpression(QStringLiteral("^1 %1 PASS$").arg(time)).match(lines.at(0)).hasMatch(),
        qPrintable(lines.at(0)));
    QVERIFY2(QRegularExpression(
                 QStringLiteral("^2 %1 FAIL Neutral Point: wanted 1520, servo 1500$").arg(time))
                 .match(lines.at(1))
                 .hasMatch(),
             qPrintable(lines.at(1)));
    QVERIFY2(
        QRegularExpression(QStringLiteral("^3 %1 PASS$").arg(time)).match(lines.at(2)).hasMatch(),
        qPrintable(lines.at(2)));
    QCOMPARE(lines.at(3), QStringLiteral("3 servos: 2 passed, 1 failed"));

    QFile csv(log);
    QVERIFY(csv.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList rows =
        QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 4);
    QVERIFY(rows.at(0).startsWith(QStringLiteral("time,port,number,result,before_TorqueGain,")));
    QVERIFY(rows.at(0).endsWith(QStringLiteral(",after_LOCKProtection")));
    for (int i = 0; i < 3; ++i) {
        const QStringList fields = rows.at(i + 1).split(QLatin1Char(','));
        QCOMPARE(fields.size(), 4 + 2 * int(kParameterCount));
        QVERIFY2(QDateTime::fromString(fields.at(0), Qt::ISODate).isValid(),
                 qPrintable(fields.at(0)));
        QCOMPARE(fields.at(1), m_port);
        QCOMPARE(fields.at(2), QString::number(i + 1));
        QCOMPARE(fields.at(3), i == 1 ? QStringLiteral("FAIL") : QStringLiteral("PASS"));
        ParameterSet after = wanted();
        if (i == 1)
            after.setValue(Parameter::NeutralPoint, 1500);
        QCOMPARE(fields.mid(4, int(kParameterCount)).join(QLatin1Char(',')), lineOf(original[i]));
        QCOMPARE(fields.mid(4 + int(kParameterCount)).join(QLatin1Char(',')), lineOf(after));
    }
}

void NimbalctlTest::batchEndsOnSigtermWithASummary()
{
    m_servo->setSilent(true);
    const QString file =
        writeFile(m_dir, QStringLiteral("wanted.txt"), lineOf(wanted()).toLatin1());
    const Run run = nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port, file},
                              [](const QString &line, QProcess &process) {
                                  if (line.endsWith(QLatin1String(": waiting for servo 1")))
                                      process.terminate();
                              });
    VERIFY_RUN(run, 0);
    QCOMPARE(run.out, QStringLiteral("0 servos: 0 passed, 0 failed\n"));
}

QTEST_GUILESS_MAIN(NimbalctlTest)
#include "tst_nimbalctl.moc"
