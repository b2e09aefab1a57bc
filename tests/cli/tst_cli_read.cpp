// The real nimbalctl, as a process, against a simulated servo that this
// test plays (see servofixture.h), reading: the formats, a line through
// noise and echo, values out of range, timeouts and retries, trouble on the
// link, the frame trace, the port listing, and its usage and help.

#include "nimbalversion.h"
#include "programrun.h"
#include "referenceframe.h"
#include "referenceline.h"
#include "servofixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSerialPort>
#include <QtTest>

#include <functional>

// What stands between nimbalctl and the servo, made of the servo and a
// port of the test's own on the servo's line, which it may hold open.
using Trouble = std::function<void(ServoSimulator &servo, QSerialPort &other)>;
Q_DECLARE_METATYPE(Trouble)

class CliReadTest : public ServoFixture
{
    Q_OBJECT

private slots:
    void init() { setUpServo(); }

    void usage_data();
    void usage();
    void helpAndManualPageAgree_data();
    void helpAndManualPageAgree();
    void exitStatusesInTheSameWordsEverywhere();
    void readFormats_data();
    void readFormats();
    void readThroughNoiseSplitsAndEcho();
    void readShowsOutOfRangeValuesAsTheWindowWould();
    void timeoutAndRetriesAreHonoured_data();
    void timeoutAndRetriesAreHonoured();
    void linkTroubleSaysWhyInOneLine_data();
    void linkTroubleSaysWhyInOneLine();
    void verboseTracesFrames();
    void portsListsAsJson();
};

void CliReadTest::usage_data()
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
    // The servo options may come before the command, the command's own not.
    QTest::newRow("servo options before the command")
        << QStringList{"-p", "x", "--timeout", "0", "read"} << 2 << "^$"
        << "^nimbalctl: read: --timeout takes a whole number of 1 or more, not '0'\n";
    QTest::newRow("the command's options before it")
        << QStringList{"--format", "line", "read"} << 2 << "^$"
        << "^nimbalctl: --format must come after a command\n";
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

void CliReadTest::usage()
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

void CliReadTest::helpAndManualPageAgree_data()
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
void CliReadTest::helpAndManualPageAgree()
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
    QCOMPARE(statusCount, 7);
}

namespace {

// The words of a text, whatever its line breaks: "a  b\n c" is "a b c".
QString words(const QString &text)
{
    return text.simplified();
}

// "N -> meaning" of the help's "Exit status:" section, its lines joined.
QMap<int, QString> helpStatuses(const QString &help)
{
    QMap<int, QString> statuses;
    int status = -1;
    for (const QString &line : help.section(QStringLiteral("Exit status:\n"), 1).split('\n')) {
        const QRegularExpressionMatch head =
            QRegularExpression(QStringLiteral("^  (\\d)  (.*)$")).match(line);
        if (head.hasMatch())
            statuses[status = head.captured(1).toInt()] = head.captured(2);
        else if (status >= 0)
            statuses[status] += QLatin1Char(' ') + line;
    }
    for (QString &meaning : statuses)
        meaning = words(meaning);
    return statuses;
}

// The same of the manual page's EXIT STATUS: each ".TP", ".B N", then the
// text, its font requests read as groff sets them (".BR a b" is "ab").
QMap<int, QString> manualStatuses(const QString &page)
{
    QMap<int, QString> statuses;
    const QString section = page.section(QStringLiteral(".SH EXIT STATUS\n"), 1)
                                .section(QStringLiteral("\n.SH "), 0, 0);
    int status = -1;
    for (QString line : section.split('\n')) {
        line.remove(QLatin1Char('\\'));
        if (line == QLatin1String(".TP"))
            continue;
        const QRegularExpressionMatch head =
            QRegularExpression(QStringLiteral("^\\.B (\\d)$")).match(line);
        if (head.hasMatch()) {
            statuses[status = head.captured(1).toInt()] = QString();
            continue;
        }
        if (line.startsWith(QLatin1String(".BR ")))
            line = line.mid(4).remove(QLatin1Char(' '));
        else if (line.startsWith(QLatin1String(".B ")))
            line = line.mid(3);
        statuses[status] += QLatin1Char(' ') + line;
    }
    // Requests join their words to the next without a blank: ".BR batch :".
    for (QString &meaning : statuses)
        meaning = words(meaning).replace(QLatin1String(" ,"), QLatin1String(","));
    return statuses;
}

// The same of the README's table "| N | meaning |", without its code marks.
QMap<int, QString> readmeStatuses(const QString &readme)
{
    QMap<int, QString> statuses;
    const QRegularExpression row(QStringLiteral("^\\| (\\d) \\| (.*) \\|$"),
                                 QRegularExpression::MultilineOption);
    auto rows = row.globalMatch(readme);
    while (rows.hasNext()) {
        const QRegularExpressionMatch match = rows.next();
        statuses[match.captured(1).toInt()] = words(match.captured(2).remove(QLatin1Char('`')));
    }
    return statuses;
}

QString readText(const char *path)
{
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll())
                                                            : QString();
}

} // namespace

// The help prints the exit statuses from nimbalctl's own table; the manual
// page and the README must say the same, word for word.
void CliReadTest::exitStatusesInTheSameWordsEverywhere()
{
    const Run run = nimbalctl({QStringLiteral("--help")});
    VERIFY_RUN(run, 0);
    const QMap<int, QString> help = helpStatuses(run.out);
    QCOMPARE(help.keys(), (QList<int>{0, 1, 2, 3, 4, 5, 6}));
    QCOMPARE(manualStatuses(readText(NIMBALCTL_MANUAL)), help);
    QCOMPARE(readmeStatuses(readText(NIMBAL_README)), help);
}

void CliReadTest::readFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("table") << "table";
    QTest::newRow("line") << "line";
    QTest::newRow("json") << "json";
}

void CliReadTest::readFormats()
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

void CliReadTest::readThroughNoiseSplitsAndEcho()
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

void CliReadTest::readShowsOutOfRangeValuesAsTheWindowWould()
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

void CliReadTest::timeoutAndRetriesAreHonoured_data()
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

void CliReadTest::timeoutAndRetriesAreHonoured()
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

void CliReadTest::linkTroubleSaysWhyInOneLine_data()
{
    QTest::addColumn<Trouble>("trouble");
    QTest::addColumn<QString>("port"); // empty: the servo's
    QTest::addColumn<int>("timeout");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // after "nimbalctl: PORT: "
    QTest::addColumn<int>("requests");    // that reach the servo

    const Trouble none = [](ServoSimulator &, QSerialPort &) {
    };
    QTest::newRow("silent servo") << none << QString() << 60 << 4
                                  << "no answer to the read request after 3 attempts of 60 ms: "
                                     "nothing came back \\('nimbalctl doctor'"
                                  << 3;
    // Ending on the timeout instead would take longer than the process may.
    QTest::newRow("port vanishes") << Trouble([](ServoSimulator &servo, QSerialPort &) {
        connect(&servo, &ServoSimulator::requestReceived, &servo, [&servo] { servo.vanish(); });
    }) << QString() << kProcessLimitMs
                                   << 3 << "port lost: " << 1;
    QTest::newRow("no such port") << none << "/dev/nimbal-no-such-port" << kProcessLimitMs << 3
                                  << "cannot open: No such file or directory" << 0;
    QTest::newRow("held by another program")
        << Trouble([](ServoSimulator &, QSerialPort &other) {
               QVERIFY(other.open(QIODevice::ReadWrite));
           })
        << QString() << kProcessLimitMs << 3
        << "cannot open: .*; another program has it open: tst_cli_read \\(pid [0-9]+\\)" << 0;
}

void CliReadTest::linkTroubleSaysWhyInOneLine()
{
    QFETCH(Trouble, trouble);
    QFETCH(QString, port);
    QFETCH(int, timeout);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(int, requests);

    if (port.isEmpty())
        port = m_port;
    QSerialPort other(port);
    m_servo->setSilent(true);
    trouble(*m_servo, other);
    if (QTest::currentTestFailed())
        return;
    const Run run = nimbalctl({QStringLiteral("read"), QStringLiteral("-p"), port,
                               QStringLiteral("--timeout"), QString::number(timeout)});
    VERIFY_RUN(run, exitCode);
    const QRegularExpression line(
        QStringLiteral("^nimbalctl: %1: %2.*\n$").arg(QRegularExpression::escape(port), message));
    QVERIFY2(line.match(run.err).hasMatch(), qPrintable(run.err));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QCOMPARE(m_servo->requestsSeen(), requests);
}

void CliReadTest::verboseTracesFrames()
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

void CliReadTest::portsListsAsJson()
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

QTEST_GUILESS_MAIN(CliReadTest)
#include "tst_cli_read.moc"
