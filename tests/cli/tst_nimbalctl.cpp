// The real nimbalctl, started as a process, against a simulated servo on a
// pseudo-terminal that this test plays. The test's event loop keeps running
// while the program does, so the servo answers as a real one would.

#include "mount.h"
#include "nimbalversion.h"
#include "referenceframe.h"
#include "referenceline.h"
#include "servosimulator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// How the program is started, beyond its arguments.
struct Launch
{
    LineHandler onErrorLine;
    QStringList environment;    // "NAME=VALUE" added to the test's own
    QString standardOutputFile; // instead of a pipe to the test
    int standardOutput = -1;    // a descriptor the program gets as its stdout
};

Run runProgram(const QString &program, const QStringList &arguments, const Launch &launch = {})
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
            if (launch.onErrorLine)
                launch.onErrorLine(line, process);
        }
    });
    QEventLoop loop;
    QObject::connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(kProcessLimitMs, &loop, &QEventLoop::quit);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &setting : launch.environment)
        environment.insert(setting.section(QLatin1Char('='), 0, 0),
                           setting.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    if (!launch.standardOutputFile.isEmpty())
        process.setStandardOutputFile(launch.standardOutputFile);
    // The child inherits this process's stdout, for the moment it is made.
    const int saved = launch.standardOutput >= 0 ? ::dup(1) : -1;
    if (saved >= 0) {
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        ::dup2(launch.standardOutput, 1);
    }
    process.start(program, arguments);
    const bool started = process.waitForStarted();
    if (saved >= 0) {
        ::dup2(saved, 1);
        ::close(saved);
    }
    if (!started)
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

Run nimbalctl(const QStringList &arguments, const Launch &launch = {})
{
    return runProgram(QStringLiteral(NIMBALCTL), arguments, launch);
}

// Lets the servo take in whatever is still on its way to it.
void drain()
{
    for (int pass = 0; pass < 10; ++pass)
        QCoreApplication::processEvents();
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}

QByteArray readRequest()
{
    return Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A3 AA");
}

// A file of tests/data, and the line it holds.
QString dataPath(const QString &name)
{
    return QStringLiteral(NIMBAL_TEST_DATA "/") + name;
}

QByteArray dataLine(const QString &name)
{
    return readAll(dataPath(name));
}

// The file the writing tests send, and its values.
const QString kWanted = QStringLiteral("wanted-values.txt");

ParameterSet wanted()
{
    return ReferenceLine::values(QString::fromLatin1(dataLine(kWanted))).value_or(ParameterSet());
}

// The simulated servo's start values as a line.
const QString kServoStart = QStringLiteral("servo-start-values.txt");

bool isRoot()
{
    return ::geteuid() == 0;
}

// Fills the disk that holds `folder` up to its last bytes.
void fill(const QString &folder)
{
    QFile filler(folder + QStringLiteral("/filler"));
    if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("x", 1) == 1) {
        }
    }
}

// Every line on standard error is nimbalctl's own.
bool onlyOwnLines(const QString &err)
{
    const QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1String("nimbalctl: ")))
            return false;
    }
    return true;
}

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
    void storedValueDifferingIsAMismatch_data();
    void storedValueDifferingIsAMismatch();
    void setStartsFromTheValuesAsShown();
    void timeoutAndRetriesAreHonoured_data();
    void timeoutAndRetriesAreHonoured();
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
    void batchExitStatus_data();
    void batchExitStatus();
    void failedOutputIsNeverSuccess_data();
    void failedOutputIsNeverSuccess();
    void outNeverReplacesANonFile_data();
    void outNeverReplacesANonFile();
    void outKeepsOwnerModeAndSaysWhy_data();
    void outKeepsOwnerModeAndSaysWhy();
    void batchLogRowsWholeOrAbsent_data();
    void batchLogRowsWholeOrAbsent();
    void unusualStandardStreams_data();
    void unusualStandardStreams();
    void asciiDigitsInEveryLocale_data();
    void asciiDigitsInEveryLocale();

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
    QTest::newRow("empty file name") << QStringList{"write", "-p", "x", ""} << 2 << "^$"
                                     << "^nimbalctl: write: an argument is empty\n";
    QTest::newRow("empty --out") << QStringList{"read", "-p", "x", "--out", ""} << 2 << "^$"
                                 << "read: --out takes a non-empty FILE, not ''";
    QTest::newRow("empty --log") << QStringList{"batch", "-p", "x", "--log", "", "f"} << 2 << "^$"
                                 << "batch: --log takes a non-empty CSV, not ''";
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
    const QString commands =
        run.out.section(QStringLiteral("\nCommands:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
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
    QCOMPARE(statusCount, 6);
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
        QCOMPARE(run.out.toLatin1(), dataLine(kServoStart) + '\n');
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
    QCOMPARE(run.out.toLatin1(), dataLine(kServoStart) + '\n');
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
    QCOMPARE(saved.readAll(), dataLine(kServoStart));
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
    QCOMPARE(run.out, ReferenceLine::of(Reference::clamped(held)) + QLatin1Char('\n'));
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
    const QString file = dataPath(kWanted);
    QStringList arguments = {QStringLiteral("write"), QStringLiteral("-p"), m_port, file};
    if (!verify)
        arguments.insert(1, QStringLiteral("--no-verify"));
    const Run run = nimbalctl(arguments);
    VERIFY_RUN(run, 0);
    QVERIFY(m_servo->values() == wanted());
    QByteArray expected = Reference::encode(wanted(), Reference::kWriteRequest);
    if (verify)
        expected += readRequest();
    QCOMPARE(m_servo->receivedBytes(), expected);
}

void NimbalctlTest::storedValueDifferingIsAMismatch_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("difference");
    // The first field, one in the middle, and the last.
    QTest::newRow("Torque Gain") << int(Parameter::TorqueGain) << 41
                                 << "Torque Gain: wanted 40, servo 41";
    QTest::newRow("Neutral Point")
        << int(Parameter::NeutralPoint) << 1500 << "Neutral Point: wanted 1520, servo 1500";
    QTest::newRow("LOCK Protection")
        << int(Parameter::LOCKProtection) << 1 << "LOCK Protection: wanted off, servo on";
}

void NimbalctlTest::storedValueDifferingIsAMismatch()
{
    QFETCH(int, field);
    QFETCH(int, stored);
    QFETCH(QString, difference);
    m_servo->forceStoredValue(Parameter(field), stored);
    const QString file = dataPath(kWanted);
    const Run run = nimbalctl({QStringLiteral("write"), QStringLiteral("-p"), m_port, file});
    VERIFY_RUN(run, 1);
    QCOMPARE(run.out, difference + QLatin1Char('\n'));
    QVERIFY2(run.err.contains(m_port + QStringLiteral(": verification failed: 1 of 14 values "
                                                      "differ")),
             qPrintable(run.err));
}

// A servo that holds a value outside its range gets it back as the window
// would write it after Read: at the nearer end of the range.
void NimbalctlTest::setStartsFromTheValuesAsShown()
{
    ParameterSet held = ServoSimulator::startValues();
    held.setValue(Parameter::Sensitivity, 200);
    m_servo->setValues(held);
    const Run run = nimbalctl(
        {QStringLiteral("set"), QStringLiteral("-p"), m_port, QStringLiteral("TorqueGain=7")});
    VERIFY_RUN(run, 0);
    QCOMPARE(m_servo->values().value(Parameter::Sensitivity), 50);
    QCOMPARE(m_servo->values().value(Parameter::TorqueGain), 7);
}

void NimbalctlTest::timeoutAndRetriesAreHonoured_data()
{
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<QString>("retries");
    QTest::addColumn<int>("answerDelay"); // -1: never
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("requests");

    QTest::newRow("answer later than the timeout") << "100"
                                                   << "0" << 400 << 4 << 1;
    QTest::newRow("answer within a long timeout") << "1500"
                                                  << "0" << 400 << 0 << 1;
    QTest::newRow("no retry") << "60"
                              << "0" << -1 << 4 << 1;
    QTest::newRow("four retries") << "60"
                                  << "4" << -1 << 4 << 5;
}

void NimbalctlTest::timeoutAndRetriesAreHonoured()
{
    QFETCH(QString, timeout);
    QFETCH(QString, retries);
    QFETCH(int, answerDelay);
    QFETCH(int, exitCode);
    QFETCH(int, requests);
    m_servo->setSilent(answerDelay < 0);
    m_servo->setAnswerDelay(qMax(0, answerDelay));
    const Run run =
        nimbalctl({QStringLiteral("read"), QStringLiteral("-p"), m_port,
                   QStringLiteral("--timeout"), timeout, QStringLiteral("--retries"), retries});
    VERIFY_RUN(run, exitCode);
    drain();
    QCOMPARE(m_servo->requestsSeen(), requests);
}

void NimbalctlTest::strictlyInvalidFileSendsNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    QTest::newRow("thirteen fields")
        << QByteArray("0,0,0,0,500,2500,0,1500,0,0,0,0,0") << "has 13 fields, not 14";
    QTest::newRow("empty file") << QByteArray() << "is empty";
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
    // What a shifted or spliced file looks like.
    QTest::newRow("fifteen fields")
        << QByteArray("0,0,0,0,500,2500,0,1500,0,0,0,0,0,0,0") << "has 15 fields, not 14";
    QTest::newRow("plus sign") << QByteArray("+5,0,0,0,500,2500,0,1500,0,0,0,0,0,0")
                               << "field 1 (Torque Gain) is \"+5\", not a decimal integer (0 to "
                                  "255)";
    // Echoed safely: escaped, and a long field cut.
    QTest::newRow("escape sequence")
        << QByteArray("0,0,0,0,500,2500,0,\x1b[2J,0,0,0,0,0,0")
        << "field 8 (Neutral Point) is \"\\x1B[2J\", not a decimal integer (500 to 2500)";
    QTest::newRow("NUL") << QByteArray("0,0,0,0,500,2500,0,15\0"
                                       "00,0,0,0,0,0,0",
                                       35)
                         << "field 8 (Neutral Point) is \"15\\x0000\", not a decimal integer "
                            "(500 to 2500)";
    QTest::newRow("64 KB field")
        << QByteArray("0,") + QByteArray(60000, '7') +
               QByteArray(",0,0,500,2500,0,1500,0,0,0,0,0,0")
        << "field 2 (Brake Gain) is \"777777777777777777777777...\" (60000 characters), outside "
           "0 to 255";
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
    QTest::addColumn<QString>("assignment"); // several are parted by '|'
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown name") << "Speed=3"
                                  << "no parameter is called 'Speed'";
    QTest::newRow("no value") << "NeutralPoint"
                              << "'NeutralPoint' is not NAME=VALUE";
    QTest::newRow("out of range") << "MAXDuty=400"
                                  << "MAX Duty takes a whole number from 0 to 399, not '400'";
    QTest::newRow("switch word") << "SoftStart=maybe"
                                 << "Soft Start takes on/off, true/false or 1/0, not 'maybe'";
    // The strictness of parameter files.
    QTest::newRow("plus sign") << "TorqueGain=+9"
                               << "Torque Gain takes a whole number from 0 to 255, not '+9'";
    QTest::newRow("blank") << "TorqueGain= 7"
                           << "Torque Gain takes a whole number from 0 to 255, not ' 7'";
    QTest::newRow("a name twice") << "TorqueGain=5|TorqueGain=6"
                                  << "Torque Gain is given twice: 'TorqueGain=5' and "
                                     "'TorqueGain=6'";
    QTest::newRow("two names of one parameter")
        << "neutral-point=1500|NeutralPoint=1600"
        << "Neutral Point is given twice: 'neutral-point=1500' and 'NeutralPoint=1600'";
}

void NimbalctlTest::setRefusesBadNamesAndValues()
{
    QFETCH(QString, assignment);
    QFETCH(QString, message);
    const Run run = nimbalctl(QStringList{QStringLiteral("set"), QStringLiteral("-p"), m_port} +
                              assignment.split(QLatin1Char('|')));
    VERIFY_RUN(run, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("NeutralPoint (Neutral Point) 500..2500")),
             qPrintable(run.err));
    drain();
    QCOMPARE(m_servo->receivedBytes(), QByteArray());
}

void NimbalctlTest::diffComparesFilesAndServo()
{
    const QString a = dataPath(kWanted);
    const QString b = writeFile(m_dir, QStringLiteral("b.txt"), dataLine(kServoStart) + "\r\nmore");

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
    if (!isRoot())
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
        Reference::encode(ServoSimulator::startValues(), Reference::kReadAnswer);
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
    const QString file = dataPath(kWanted);
    const QString log = m_dir.filePath(QStringLiteral("batch.csv"));
    ParameterSet original[3];
    for (int i = 0; i < 3; ++i) {
        original[i] = ServoSimulator::startValues();
        original[i].setValue(Parameter::IntegralSpeed, 10 + i);
    }
    m_servo->setSilent(true);
    int plugged = 0;
    QList<int> rowsWhenDone;
    const QRegularExpression waiting(QStringLiteral(": waiting for servo (\\d)$"));
    const QRegularExpression done(QStringLiteral(": servo (\\d) done: unplug it$"));
    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port, QStringLiteral("--log"),
                   log, QStringLiteral("--count"), QStringLiteral("3"), file},
                  {[&](const QString &line, QProcess &) {
                      if (waiting.match(line).hasMatch()) {
                          m_servo->clearForcedValues();
                          if (plugged == 1)
                              m_servo->forceStoredValue(Parameter::NeutralPoint, 1500);
                          m_servo->setValues(original[plugged++]);
                          m_servo->setSilent(false);
                      } else if (done.match(line).hasMatch()) {
                          m_servo->setSilent(true);
                          // The servo's row is in the file by now.
                          rowsWhenDone.append(int(readAll(log).count('\n')));
                      }
                  }});
    VERIFY_RUN(run, 1);
    QCOMPARE(plugged, 3);
    QCOMPARE(rowsWhenDone, (QList<int>{2, 3}));

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
        QCOMPARE(fields.mid(4, int(kParameterCount)).join(QLatin1Char(',')),
                 ReferenceLine::of(original[i]));
        QCOMPARE(fields.mid(4 + int(kParameterCount)).join(QLatin1Char(',')),
                 ReferenceLine::of(after));
    }
}

void NimbalctlTest::batchExitStatus_data()
{
    QTest::addColumn<QString>("count"); // empty: until stopped
    QTest::addColumn<int>("stopAfter"); // servos set up before SIGTERM; -1: the port goes
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("summary");

    QTest::newRow("no count, stopped before any")
        << QString() << 0 << 0 << "0 servos: 0 passed, 0 failed";
    QTest::newRow("no count, stopped after one")
        << QString() << 1 << 0 << "1 servos: 1 passed, 0 failed";
    QTest::newRow("count 3, stopped before any") << "3" << 0 << 5 << "0 servos: 0 passed, 0 failed";
    QTest::newRow("count 3, stopped after one") << "3" << 1 << 5 << "1 servos: 1 passed, 0 failed";
    QTest::newRow("port lost during the write") << "3" << -1 << 3 << "1 servos: 0 passed, 1 failed";
}

// The summary comes last, and the status says whether the batch did all it
// was asked.
void NimbalctlTest::batchExitStatus()
{
    QFETCH(QString, count);
    QFETCH(int, stopAfter);
    QFETCH(int, exitCode);
    QFETCH(QString, summary);
    const QString file = dataPath(kWanted);
    if (stopAfter < 0) {
        connect(m_servo.get(), &ServoSimulator::requestReceived, m_servo.get(),
                [this](const QByteArray &request) {
                    if (Reference::flagsOf(request) & Reference::kWriteRequest)
                        m_servo->vanish();
                });
    }
    QStringList arguments = {QStringLiteral("batch"), QStringLiteral("-p"), m_port, file};
    if (!count.isEmpty())
        arguments << QStringLiteral("--count") << count;
    // Servo after servo is plugged in, until the one before which the
    // batch is stopped.
    m_servo->setSilent(true);
    const QRegularExpression waiting(QStringLiteral(": waiting for servo (\\d)$"));
    const Run run = nimbalctl(arguments, {[&](const QString &line, QProcess &process) {
                                  const QRegularExpressionMatch match = waiting.match(line);
                                  if (match.hasMatch() && stopAfter >= 0 &&
                                      match.captured(1).toInt() > stopAfter)
                                      process.terminate();
                                  else if (match.hasMatch())
                                      m_servo->setSilent(false);
                                  else if (line.endsWith(QLatin1String(": unplug it")))
                                      m_servo->setSilent(true);
                              }});
    VERIFY_RUN(run, exitCode);
    QVERIFY2(run.out.endsWith(summary + QLatin1Char('\n')), qPrintable(run.out));
    if (stopAfter < 0)
        QVERIFY2(run.out.contains(QLatin1String(" FAIL port lost during the write")),
                 qPrintable(run.out));
}

void NimbalctlTest::failedOutputIsNeverSuccess_data()
{
    QTest::addColumn<QStringList>("arguments"); // with PORT, A, B (two files) and LOG
    QTest::addColumn<bool>("closedPipe");       // else /dev/full
    QTest::addColumn<QString>("message");

    const QString full = QStringLiteral("standard output: No space left on device");
    QTest::newRow("read") << QStringList{"read", "-p", "PORT", "--format", "line"} << false << full;
    QTest::newRow("ports") << QStringList{"ports"} << false << full;
    QTest::newRow("help") << QStringList{"help"} << false << full;
    QTest::newRow("diff with differences, never 1")
        << QStringList{"diff", "A", "B"} << false << full;
    const QString pipe = QStringLiteral("standard output: Broken pipe");
    QTest::newRow("read into a closed pipe") << QStringList{"read", "-p", "PORT"} << true << pipe;
    QTest::newRow("batch into a closed pipe, logged")
        << QStringList{"batch", "-p", "PORT", "--count", "1", "--log", "LOG", "A"} << true << pipe;
}

void NimbalctlTest::failedOutputIsNeverSuccess()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, closedPipe);
    QFETCH(QString, message);
    const QString log = m_dir.filePath(QStringLiteral("log.csv"));
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^PORT$")), m_port);
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^LOG$")), log);
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^A$")), dataPath(kWanted));
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^B$")),
                               dataPath(QStringLiteral("start-values.txt")));

    Launch launch;
    int pipe[2] = {-1, -1};
    if (closedPipe) {
        QVERIFY(::pipe(pipe) == 0);
        ::close(pipe[0]); // the reader has gone
        launch.standardOutput = pipe[1];
    } else {
        launch.standardOutputFile = QStringLiteral("/dev/full");
    }
    const Run run = nimbalctl(arguments, launch);
    if (pipe[1] >= 0)
        ::close(pipe[1]);
    VERIFY_RUN(run, 2);
    QVERIFY2(run.err.contains(QLatin1String("nimbalctl: ") + message + QLatin1Char('\n')),
             qPrintable(run.err));
    // A servo set up is logged, whatever became of its result line.
    if (arguments.contains(log))
        QCOMPARE(readAll(log).count('\n'), 2);
}

void NimbalctlTest::outNeverReplacesANonFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("FIFO, written through") << "fifo" << 0 << QString();
    QTest::newRow("character device, written through") << "device" << 0 << QString();
    QTest::newRow("/dev/stdout, written through") << "stdout" << 0 << QString();
    QTest::newRow("/dev/full") << "full" << 2 << "cannot save: No space left on device";
    QTest::newRow("folder, refused")
        << "folder" << 2 << "cannot save: not a regular file, a FIFO or a character device";
}

void NimbalctlTest::outNeverReplacesANonFile()
{
    QFETCH(QString, kind);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QByteArray line = dataLine(kServoStart);
    QString target = m_dir.filePath(kind);
    const QByteArray native = QFile::encodeName(target);
    int reader = -1;
    if (kind == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(native.constData(), 0600) == 0);
        reader = ::open(native.constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
    } else if (kind == QLatin1String("device")) {
        if (!isRoot())
            QSKIP("needs root to make a device node");
        // A node of the null device, of this test's own.
        QVERIFY(::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0);
    } else if (kind == QLatin1String("full") && isRoot()) {
        // Root could replace the system's /dev/full: a node of its own.
        QVERIFY(::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 7)) == 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir.path()).mkdir(kind));
    } else {
        target = QStringLiteral("/dev/") + kind;
    }
    struct stat before = {};
    QVERIFY(::stat(QFile::encodeName(target).constData(), &before) == 0);

    const Run run = nimbalctl(
        {QStringLiteral("read"), QStringLiteral("-p"), m_port, QStringLiteral("--out"), target});
    VERIFY_RUN(run, exitCode);
    if (!message.isEmpty())
        QCOMPARE(run.err, QStringLiteral("nimbalctl: %1: %2\n").arg(target, message));
    struct stat after = {};
    QVERIFY(::stat(QFile::encodeName(target).constData(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    if (reader >= 0) {
        char got[128] = {};
        QCOMPARE(::read(reader, got, sizeof got), ssize_t(line.size()));
        QCOMPARE(QByteArray(got), line);
        ::close(reader);
    }
    if (kind == QLatin1String("stdout"))
        QCOMPARE(run.out.toLatin1(), line);
}

void NimbalctlTest::outKeepsOwnerModeAndSaysWhy_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("message"); // empty: saved
    QTest::newRow("mode 640 kept") << "mode" << QString();
    QTest::newRow("another user's file keeps its owner") << "owner" << QString();
    QTest::newRow("read-only folder") << "folder"
                                      << "cannot save in the folder DIR: Permission denied";
    QTest::newRow("full disk") << "disk"
                               << "cannot save: No space left on device";
    QTest::newRow("the file cannot be replaced at the last step")
        << "busy"
        << "cannot save: Device or resource busy";
}

// The file is replaced whole with its mode and owner, or not at all, and
// the message names what stopped it.
void NimbalctlTest::outKeepsOwnerModeAndSaysWhy()
{
    QFETCH(QString, trouble);
    QFETCH(QString, message);
    if (trouble != QLatin1String("mode") && !isRoot())
        QSKIP("needs root to own files for others, mount a disk or change user");
    const QString folder = m_dir.filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/servo.txt");
    const QByteArray old = "old bytes";
    QVERIFY(!writeFile(m_dir, QStringLiteral("folder/servo.txt"), old).isEmpty());
    const QByteArray native = QFile::encodeName(file);
    QVERIFY(::chmod(native.constData(), trouble == QLatin1String("mode") ? 0640 : 0666) == 0);
    std::unique_ptr<Mount> mount;
    QString program = QStringLiteral(NIMBALCTL);
    QStringList arguments = {QStringLiteral("read"), QStringLiteral("-p"), m_port,
                             QStringLiteral("--out"), file};
    if (trouble == QLatin1String("owner")) {
        QVERIFY(::chown(native.constData(), 65534, 65534) == 0);
        QVERIFY(::chmod(native.constData(), 0600) == 0);
    } else if (trouble == QLatin1String("folder")) {
        // Run as nobody, who may write the file but not its folder.
        QVERIFY(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_port).constData(), 0666) == 0);
        program = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (program.isEmpty())
            QSKIP("needs setpriv");
        arguments = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                QStringLiteral("--clear-groups"), QStringLiteral(NIMBALCTL)} +
                    arguments;
    } else if (trouble == QLatin1String("disk")) {
        QVERIFY(QFile::remove(file));
        mount = std::make_unique<Mount>(
            QStringList{QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                        QStringLiteral("size=64k"), QStringLiteral("tmpfs")},
            folder);
        if (!mount->isMounted())
            QSKIP("cannot mount a small disk here");
        QVERIFY(!writeFile(m_dir, QStringLiteral("folder/servo.txt"), old).isEmpty());
        fill(folder);
    } else if (trouble == QLatin1String("busy")) {
        writeFile(m_dir, QStringLiteral("bound"), old);
        mount = std::make_unique<Mount>(
            QStringList{QStringLiteral("--bind"), m_dir.filePath(QStringLiteral("bound"))}, file);
        if (!mount->isMounted())
            QSKIP("cannot bind-mount a file here");
    }
    struct stat before = {};
    QVERIFY(::stat(native.constData(), &before) == 0);
    const QStringList listed = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);

    const Run run = runProgram(program, arguments);
    VERIFY_RUN(run, message.isEmpty() ? 0 : 2);
    struct stat after = {};
    QVERIFY(::stat(native.constData(), &after) == 0);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), listed);
    if (message.isEmpty()) {
        QCOMPARE(readAll(file), dataLine(kServoStart));
        return;
    }
    QCOMPARE(readAll(file), old);
    QCOMPARE(run.err, QStringLiteral("nimbalctl: %1: %2\n")
                          .arg(file, QString(message).replace(QLatin1String("DIR"), folder)));
}

void NimbalctlTest::batchLogRowsWholeOrAbsent_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // empty: none
    QTest::newRow("/dev/full") << "/dev/full" << 2 << "cannot append: No space left on device";
    QTest::newRow("/dev/null") << "/dev/null" << 0 << QString();
    QTest::newRow("full disk") << "disk" << 2 << "cannot append: No space left on device";
}

void NimbalctlTest::batchLogRowsWholeOrAbsent()
{
    QFETCH(QString, log);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    std::unique_ptr<Mount> disk;
    QByteArray earlierRows;
    if (log == QLatin1String("disk")) {
        const QString folder = m_dir.filePath(QStringLiteral("disk"));
        QVERIFY(QDir().mkpath(folder));
        disk = std::make_unique<Mount>(QStringList{QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                   QStringLiteral("-o"), QStringLiteral("size=64k"),
                                                   QStringLiteral("tmpfs")},
                                       folder);
        if (!disk->isMounted())
            QSKIP("needs root to mount a small disk");
        // Rows that end on a page of the disk, so the next needs a new one.
        earlierRows = QByteArray(4095, 'x') + '\n';
        log = folder + QStringLiteral("/servos.csv");
        QVERIFY(!writeFile(m_dir, QStringLiteral("disk/servos.csv"), earlierRows).isEmpty());
        fill(folder);
    }
    const QString file = dataPath(kWanted);
    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-p"), m_port, QStringLiteral("--count"),
                   QStringLiteral("1"), QStringLiteral("--log"), log, file});
    VERIFY_RUN(run, exitCode);
    QVERIFY2(onlyOwnLines(run.err), qPrintable(run.err));
    if (!message.isEmpty())
        QVERIFY2(run.err.contains(QStringLiteral("nimbalctl: %1: %2\n").arg(log, message)),
                 qPrintable(run.err));
    if (log == QLatin1String("/dev/full")) {
        drain();
        QCOMPARE(m_servo->receivedBytes(), QByteArray());
    }
    if (disk) {
        QCOMPARE(readAll(log), earlierRows);
        QVERIFY2(run.out.endsWith(QLatin1String(" PASS\n1 servos: 1 passed, 0 failed\n")),
                 qPrintable(run.out));
    }
}

void NimbalctlTest::unusualStandardStreams_data()
{
    QTest::addColumn<QString>("closing"); // for the shell's exec
    QTest::newRow("stdout closed") << ">&-";
    QTest::newRow("stdout and stderr closed") << ">&- 2>&-";
    QTest::newRow("all three closed") << "<&- >&- 2>&-";
}

// As cron or a udev rule may start it: nothing meant for the terminal goes
// to the port that takes a closed stream's number.
void NimbalctlTest::unusualStandardStreams()
{
    QFETCH(QString, closing);
    const Run run =
        runProgram(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"), QStringLiteral("exec %1 \"$0\" \"$@\"").arg(closing),
                    QStringLiteral(NIMBALCTL), QStringLiteral("read"), QStringLiteral("-p"), m_port,
                    QStringLiteral("--format"), QStringLiteral("line")});
    VERIFY_RUN(run, 2);
    drain();
    QCOMPARE(m_servo->receivedBytes(), readRequest());
}

void NimbalctlTest::asciiDigitsInEveryLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("Persian") << "fa_IR.UTF-8";
    QTest::newRow("Arabic, Egypt") << "ar_EG.UTF-8";
}

void NimbalctlTest::asciiDigitsInEveryLocale()
{
    QFETCH(QString, locale);
    const QString file = dataPath(kWanted);
    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-v"), QStringLiteral("-p"), m_port,
                   QStringLiteral("--count"), QStringLiteral("1"), file},
                  {{}, {QStringLiteral("LANG=") + locale, QStringLiteral("LC_ALL=") + locale}});
    VERIFY_RUN(run, 0);
    const QRegularExpression result(
        QStringLiteral("^1 [0-9]{2}:[0-9]{2}:[0-9]{2} PASS\n1 servos: 1 passed, 0 failed\n$"));
    QVERIFY2(result.match(run.out).hasMatch(), qPrintable(run.out));
    const QRegularExpression trace(QStringLiteral("^[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} [TR]X "),
                                   QRegularExpression::MultilineOption);
    QCOMPARE(run.err.count(trace), 6); // probe, write and read-back, each sent and received
}

QTEST_GUILESS_MAIN(NimbalctlTest)
#include "tst_nimbalctl.moc"
