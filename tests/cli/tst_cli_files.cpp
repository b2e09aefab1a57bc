// The real nimbalctl, as a process, against a simulated servo that this
// test plays (see servofixture.h), and its files: the line --out saves,
// what it says when it cannot, and parameter files checked strictly before
// anything is sent.

#include "mount.h"
#include "programrun.h"
#include "servofixture.h"
#include "specialfiles.h"

#include <QDir>
#include <QStandardPaths>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

class CliFilesTest : public ServoFixture
{
    Q_OBJECT

private slots:
    void init() { setUpServo(); }

    void readOutSavesTheLineAndPrintsNothing();
    void strictlyInvalidFileSendsNothing_data();
    void strictlyInvalidFileSendsNothing();
    void outNeverReplacesANonFile_data();
    void outNeverReplacesANonFile();
    void outKeepsOwnerModeAndSaysWhy_data();
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

void CliFilesTest::outNeverReplacesANonFile_data()
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

void CliFilesTest::outNeverReplacesANonFile()
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
        if (!SpecialFiles::isRoot())
            QSKIP("needs root to make a device node");
        // A node of the null device, of this test's own.
        QVERIFY(::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0);
    } else if (kind == QLatin1String("full") && SpecialFiles::isRoot()) {
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

void CliFilesTest::outKeepsOwnerModeAndSaysWhy_data()
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
void CliFilesTest::outKeepsOwnerModeAndSaysWhy()
{
    QFETCH(QString, trouble);
    QFETCH(QString, message);
    if (trouble != QLatin1String("mode") && !SpecialFiles::isRoot())
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
        SpecialFiles::fill(folder);
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

QTEST_GUILESS_MAIN(CliFilesTest)
#include "tst_cli_files.moc"
