// The real nimbalctl, as a process, against a simulated servo that this
// test plays (see servofixture.h), under hostile conditions: a port it may
// not open, output that cannot be written, standard streams closed, and
// locales with digits of their own.

#include "programrun.h"
#include "servofixture.h"
#include "specialfiles.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

class CliHostileTest : public ServoFixture
{
    Q_OBJECT

private slots:
    void init() { setUpServo(); }

    void permissionProblemNamesTheGroup();
    void failedOutputIsNeverSuccess_data();
    void failedOutputIsNeverSuccess();
    void unusualStandardStreams_data();
    void unusualStandardStreams();
    void asciiDigitsInEveryLocale_data();
    void asciiDigitsInEveryLocale();
};

// A user outside the device's group: run as nobody against a port that only
// its group may open.
void CliHostileTest::permissionProblemNamesTheGroup()
{
    if (!SpecialFiles::isRoot())
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

void CliHostileTest::failedOutputIsNeverSuccess_data()
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

void CliHostileTest::failedOutputIsNeverSuccess()
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

void CliHostileTest::unusualStandardStreams_data()
{
    QTest::addColumn<QString>("closing"); // for the shell's exec
    QTest::newRow("stdout closed") << ">&-";
    QTest::newRow("stdout and stderr closed") << ">&- 2>&-";
    QTest::newRow("all three closed") << "<&- >&- 2>&-";
}

// As cron or a udev rule may start it: nothing meant for the terminal goes
// to the port that takes a closed stream's number.
void CliHostileTest::unusualStandardStreams()
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

void CliHostileTest::asciiDigitsInEveryLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("Persian") << "fa_IR.UTF-8";
    QTest::newRow("Arabic, Egypt") << "ar_EG.UTF-8";
}

void CliHostileTest::asciiDigitsInEveryLocale()
{
    QFETCH(QString, locale);
    const QString file = dataPath(kWanted);
    const Run run =
        nimbalctl({QStringLiteral("batch"), QStringLiteral("-v"), QStringLiteral("-p"), m_port,
                   QStringLiteral("--count"), QStringLiteral("1"), file},
                  {{}, {QStringLiteral("LANG=") + locale, QStringLiteral("LC_ALL=") + locale}});
    VERIFY_RUN(run, 0);
    const QRegularExpression result(
        QStringLiteral("^1 [0-9]{2}:[0-9]{2}:[0-9]{2} PASS\n1 servo: 1 passed, 0 failed\n$"));
    QVERIFY2(result.match(run.out).hasMatch(), qPrintable(run.out));
    const QRegularExpression trace(QStringLiteral("^[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} [TR]X "),
                                   QRegularExpression::MultilineOption);
    QCOMPARE(run.err.count(trace), 6); // probe, write and read-back, each sent and received
}

QTEST_GUILESS_MAIN(CliHostileTest)
#include "tst_cli_hostile.moc"
