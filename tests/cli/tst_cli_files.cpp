// The real nimbalctl, as a process, against a simulated servo that this
// test plays (see servofixture.h), and its files: the line --out saves,
// what it says when it cannot, and parameter files checked strictly before
// anything is sent.

#include "programrun.h"
#include "servofixture.h"

#include <QDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class CliFilesTest : public ServoFixture
{
    Q_OBJECT

private slots:
    void init() { setUpServo(); }

    void readOutSavesTheLineAndPrintsNothing();
    void strictlyInvalidFileSendsNothing_data();
    void strictlyInvalidFileSendsNothing();
    void outNeverReplacesANonFile();
    void outKeepsOwnerModeAndSaysWhy();
};

void CliFilesTest::readOutSavesTheLineAndPrintsNothing()
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

void CliFilesTest::strictlyInvalidFileSendsNothing_data()
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

void CliFilesTest::strictlyInvalidFileSendsNothing()
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

// What --out does with each kind of file is FileSaver's (tst_filesaver);
// here, that a refused one is told as a failure, in nimbalctl's words.
void CliFilesTest::outNeverReplacesANonFile()
{
    const QString target = m_dir.filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkdir(target));
    struct stat before = {};
    QVERIFY(::stat(QFile::encodeName(target).constData(), &before) == 0);

    const Run run = nimbalctl(
        {QStringLiteral("read"), QStringLiteral("-p"), m_port, QStringLiteral("--out"), target});
    VERIFY_RUN(run, 2);
    QCOMPARE(run.err, QStringLiteral("nimbalctl: %1: cannot save: not a regular file, a FIFO or a "
                                     "character device\n")
                          .arg(target));
    struct stat after = {};
    QVERIFY(::stat(QFile::encodeName(target).constData(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
}

// The file is replaced whole with its mode, and told as a success; the
// other troubles of a save are FileSaver's (tst_filesaver).
void CliFilesTest::outKeepsOwnerModeAndSaysWhy()
{
    const QString folder = m_dir.filePath(QStringLiteral("kept"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = writeFile(m_dir, QStringLiteral("kept/servo.txt"), "old bytes");
    const QByteArray native = QFile::encodeName(file);
    QVERIFY(::chmod(native.constData(), 0640) == 0);
    struct stat before = {};
    QVERIFY(::stat(native.constData(), &before) == 0);
    const QStringList listed = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);

    const Run run = nimbalctl(
        {QStringLiteral("read"), QStringLiteral("-p"), m_port, QStringLiteral("--out"), file});
    VERIFY_RUN(run, 0);
    struct stat after = {};
    QVERIFY(::stat(native.constData(), &after) == 0);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), listed);
    QCOMPARE(readAll(file), dataLine(kServoStart));
}

QTEST_GUILESS_MAIN(CliFilesTest)
#include "tst_cli_files.moc"
