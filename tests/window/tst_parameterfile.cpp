#include "app/widget.h"
#include "filesizelimit.h"
#include "referenceframe.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#ifdef Q_OS_UNIX
#include "specialfiles.h"

#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using ParameterValues::of;
using WindowTest::logMessages;
using WindowTest::setValues;

// Two states that differ in every control, so that a control the loader
// leaves alone shows up from at least one of them.
const ParameterSet kPresetA = of(1, 2, 3, 4, 501, 2499, 1, 1499, 1, 2, 3, 1, 0, 1);
const ParameterSet kPresetB = of(254, 253, 252, 251, 2400, 600, 49, 700, 398, 250, 249, 0, 1, 0);

const ParameterSet kStartValues = of(0, 0, 0, 0, 500, 2500, 0, 1500, 0, 0, 0, 0, 0, 0);
const ParameterSet kDistinctValues = of(12, 34, 56, 78, 900, 2000, 25, 1600, 300, 45, 67, 1, 0, 1);

const QString kSaved = QString::fromUtf8("参数已成功保存  Saved successfully");
const QString kLoaded = QString::fromUtf8("参数载入成功  Loading successful");
const QString kSaveFailed = QString::fromUtf8("参数保存失败  Failed to save");

QString dataPath(const QString &name)
{
    return QStringLiteral(NIMBAL_TEST_DATA "/") + name;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<cannot open ") + path.toLocal8Bit() + '>';
    return file.readAll();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

void clickButton(Widget &w, const char *name)
{
    w.findChild<QPushButton *>(QLatin1String(name))->click();
}

void saveAs(Widget &w, const QString &fileName)
{
    w.setSaveFileDialog([fileName](QWidget *, const QString &, const QString &, const QString &) {
        return fileName;
    });
    clickButton(w, "pB_SaveParameter");
}

void openFrom(Widget &w, const QString &fileName)
{
    w.setOpenFileDialog([fileName](QWidget *, const QString &, const QString &, const QString &) {
        return fileName;
    });
    clickButton(w, "pB_OpenParameter");
}

// The process's peak resident size brought down to its present size, so
// that a later peak is what came after; false where the kernel does not
// offer that (Linux before 4.0, a /proc without it).
bool resetPeakResident()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

// The peak resident size since the last reset, in KiB; -1 when unknown.
long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    }
    return -1;
}

// A first line of exactly `length` characters holding the distinct values,
// the first field padded with leading zeros.
QByteArray paddedLine(int length)
{
    const QByteArray rest = ",34,56,78,900,2000,25,1600,300,45,67,1,0,1";
    return QByteArray(length - rest.size() - 2, '0') + "12" + rest;
}

} // namespace

class TestParameterFile : public QObject
{
    Q_OBJECT

private slots:
    void dialogsGetCaptionStartDirectoryFilterAndWindow_data();
    void dialogsGetCaptionStartDirectoryFilterAndWindow();
    void cancelledDialogChangesNothingAndLogsNothing_data();
    void cancelledDialogChangesNothingAndLogsNothing();

    void saveWritesReferenceBytes_data();
    void saveWritesReferenceBytes();
    void saveTakesControlsAsTheyAreWhenTheDialogCloses();
    void failedSaveLogsFailureAndKeepsOldFile();
    void saveKeepsWhatTheFileIs();

    void loadSetsControlsFromFirstLine_data();
    void loadSetsControlsFromFirstLine();
    void loadOfBinaryGarbageIsAllOrNothing();
    void loadOfHugeFileWithoutLineEndReadsOnlyItsStart();

    void savedFileLoadsBackToSameValues();
    void savedFileHoldsAsciiDigitsInEveryLocale_data();
    void savedFileHoldsAsciiDigitsInEveryLocale();
    void emptiedEntryLoadsAsMinimum();
};

void TestParameterFile::dialogsGetCaptionStartDirectoryFilterAndWindow_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("caption");

    QTest::newRow("save") << QByteArray("pB_SaveParameter") << QString::fromUtf8("保存参数");
    QTest::newRow("open") << QByteArray("pB_OpenParameter") << QString::fromUtf8("打开参数");
}

void TestParameterFile::dialogsGetCaptionStartDirectoryFilterAndWindow()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, caption);

    Widget w;
    int calls = 0;
    QWidget *gotParent = nullptr;
    QString gotCaption, gotDir, gotFilter;
    const Widget::FileDialog dialog = [&](QWidget *parent, const QString &c, const QString &dir,
                                          const QString &filter) {
        ++calls;
        gotParent = parent;
        gotCaption = c;
        gotDir = dir;
        gotFilter = filter;
        return QString();
    };
    w.setSaveFileDialog(dialog);
    w.setOpenFileDialog(dialog);

    clickButton(w, button.constData());

    QCOMPARE(calls, 1);
    QCOMPARE(gotParent, static_cast<QWidget *>(&w));
    QCOMPARE(gotCaption, caption);
    QCOMPARE(gotDir, QStringLiteral("/home/"));
    QCOMPARE(gotFilter, QString::fromUtf8("文本类型 (*.txt)"));
}

void TestParameterFile::cancelledDialogChangesNothingAndLogsNothing_data()
{
    dialogsGetCaptionStartDirectoryFilterAndWindow_data();
}

void TestParameterFile::cancelledDialogChangesNothingAndLogsNothing()
{
    QFETCH(QByteArray, button);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Nothing may turn up in the working directory either.
    const auto restoreCurrent = qScopeGuard([old = QDir::currentPath()] { QDir::setCurrent(old); });
    QVERIFY(QDir::setCurrent(dir.path()));
    Widget w;
    setValues(w, kPresetA);
    const Widget::FileDialog cancel = [](QWidget *, const QString &, const QString &,
                                         const QString &) {
        return QString();
    };
    w.setSaveFileDialog(cancel);
    w.setOpenFileDialog(cancel);

    clickButton(w, button.constData());

    QCOMPARE(WindowTest::values(w), kPresetA);
    QCOMPARE(logMessages(w), QStringList());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestParameterFile::saveWritesReferenceBytes_data()
{
    const std::optional<ParameterSet> asStarted; // none: as a new window starts
    QTest::addColumn<std::optional<ParameterSet>>("values");
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QString>("reference");

    QTest::newRow("start values") << asStarted << QByteArray() << "start-values.txt";
    QTest::newRow("reversed rotation and lock protection on")
        << std::optional(of(0, 0, 0, 0, 500, 2500, 0, 1500, 0, 0, 0, 1, 0, 1)) << QByteArray()
        << "switches-on-off-on.txt";
    QTest::newRow("a distinct value in every field")
        << std::optional(kDistinctValues) << QByteArray() << "distinct-values.txt";
    QTest::newRow("over a longer file")
        << asStarted
        << QByteArray("200,201,202,203,2222,2333,44,2444,388,204,205,0,1,0\r\n"
                      "12,34,56,78,900,2000,25,1600,300,45,67,1,0,1\r\n")
        << "start-values.txt";
}

void TestParameterFile::saveWritesReferenceBytes()
{
    QFETCH(std::optional<ParameterSet>, values);
    QFETCH(QByteArray, existing);
    QFETCH(QString, reference);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("params.txt"));
    if (!existing.isNull())
        QVERIFY(writeBytes(fileName, existing));
    Widget w;
    if (values)
        setValues(w, *values);

    saveAs(w, fileName);

    QCOMPARE(readBytes(fileName), readBytes(dataPath(reference)));
    QCOMPARE(logMessages(w), QStringList{kSaved});
    // Nothing left beside it from writing it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("params.txt")});
}

// An answer from the servo may change the controls while the dialog is open;
// the file gets what the controls hold once it has closed.
void TestParameterFile::saveTakesControlsAsTheyAreWhenTheDialogCloses()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("params.txt"));
    Widget w;
    w.setSaveFileDialog([&](QWidget *, const QString &, const QString &, const QString &) {
        setValues(w, kDistinctValues);
        return fileName;
    });

    clickButton(w, "pB_SaveParameter");

    QCOMPARE(readBytes(fileName), readBytes(dataPath(QStringLiteral("distinct-values.txt"))));
}

// The window tells a failed save as one; what a failure leaves of the old
// file is FileSaver's (tst_filesaver).
void TestParameterFile::failedSaveLogsFailureAndKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray oldBytes = "200,201,202,203,2222,2333,44,2444,388,204,205,0,1,0\n"
                                "a longer file than the new line\n";
    const QString fileName = dir.filePath(QStringLiteral("params.txt"));
    QVERIFY(writeBytes(fileName, oldBytes));
    const QStringList entriesBefore =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    Widget w;
    setValues(w, kDistinctValues);

    {
        // Room for a few bytes of the new line, not for all of it.
        const FileSizeLimit limit(8);
        if (!limit.isActive())
            QSKIP("cannot lower the file size limit here");
        saveAs(w, fileName);
    }

    QCOMPARE(logMessages(w), QStringList{kSaveFailed});
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entriesBefore);
    QCOMPARE(readBytes(fileName), oldBytes);
}

// The window tells a save as one whatever the file is: here a FIFO, which
// is written to, never replaced by a file. The other kinds are FileSaver's
// (tst_filesaver).
void TestParameterFile::saveKeepsWhatTheFileIs()
{
#ifndef Q_OS_UNIX
    QSKIP("FIFOs are POSIX's");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("fifo"));
    const QByteArray native = QFile::encodeName(fileName);
    const int reader = SpecialFiles::makeFifo(fileName);
    QVERIFY(reader >= 0);
    const auto closeReader = qScopeGuard([reader] { ::close(reader); });
    struct stat before = {};
    QVERIFY(::stat(native.constData(), &before) == 0);
    Widget w;
    setValues(w, kDistinctValues);

    saveAs(w, fileName);

    QCOMPARE(logMessages(w), QStringList{kSaved});
    struct stat after = {};
    QVERIFY(::stat(native.constData(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QByteArray got(128, '\0');
    got.resize(int(::read(reader, got.data(), size_t(got.size()))));
    QCOMPARE(got, readBytes(dataPath(QStringLiteral("distinct-values.txt"))));
#endif
}

void TestParameterFile::loadSetsControlsFromFirstLine_data()
{
    // A file in tests/data, or else `content` written to a file of its own.
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loaded");           // false: every control unchanged, nothing logged
    QTest::addColumn<ParameterSet>("expected"); // when loaded

    const ParameterSet distinct = kDistinctValues;
    const ParameterSet none; // for the rows that load nothing
    QTest::newRow("start values") << "start-values.txt" << QByteArray() << true << kStartValues;
    QTest::newRow("a distinct value in every field")
        << "distinct-values.txt" << QByteArray() << true << distinct;
    QTest::newRow("CRLF line end") << "crlf-line-end.txt" << QByteArray() << true << distinct;
    QTest::newRow("second line after CRLF ignored")
        << "crlf-second-line.txt" << QByteArray() << true << distinct;
    QTest::newRow("second line after LF ignored")
        << "lf-second-line.txt" << QByteArray() << true << distinct;
    QTest::newRow("fourteen zeros go to each minimum")
        << "fourteen-zeros.txt" << QByteArray() << true
        << of(0, 0, 0, 0, 500, 500, 0, 500, 0, 0, 0, 0, 0, 0);
    QTest::newRow("max pulse width 3000 goes to 2500")
        << "max-pulse-width-3000.txt" << QByteArray() << true << kStartValues;
    QTest::newRow("above every range")
        << "above-ranges.txt" << QByteArray() << true
        << of(255, 255, 255, 255, 2500, 2500, 50, 2500, 399, 255, 255, 1, 1, 1);
    QTest::newRow("below every range") << "below-ranges.txt" << QByteArray() << true
                                       << of(0, 0, 0, 0, 500, 500, 0, 500, 0, 0, 0, 1, 1, 1);
    QTest::newRow("switch field 2 is on") << "reversed-rotation-2.txt" << QByteArray() << true
                                          << of(0, 0, 0, 0, 500, 2500, 0, 1500, 0, 0, 0, 1, 0, 0);
    QTest::newRow("switch field -1 is on")
        << "reversed-rotation-minus-1.txt" << QByteArray() << true
        << of(0, 0, 0, 0, 500, 2500, 0, 1500, 0, 0, 0, 1, 0, 0);
    QTest::newRow("switch field letter is off")
        << "reversed-rotation-letter.txt" << QByteArray() << true << kStartValues;
    QTest::newRow("switch field empty is off")
        << "reversed-rotation-empty.txt" << QByteArray() << true << kStartValues;
    QTest::newRow("fifteen fields") << "fifteen-fields.txt" << QByteArray() << true << distinct;
    QTest::newRow("nineteen fields") << "nineteen-fields.txt" << QByteArray() << true << distinct;
    QTest::newRow("UTF-8 byte-order mark") << "utf8-bom.txt" << QByteArray() << true << distinct;
    QTest::newRow("binary fields count as 0") << "binary-fields.txt" << QByteArray() << true
                                              << of(0, 0, 0, 0, 500, 500, 0, 500, 0, 0, 0, 0, 0, 0);
    QTest::newRow("thirteen fields") << "thirteen-fields.txt" << QByteArray() << false << none;
    QTest::newRow("thirteen fields, more on the next line")
        << "thirteen-fields-then-more.txt" << QByteArray() << false << none;
    QTest::newRow("empty file") << "empty.txt" << QByteArray() << false << none;
    QTest::newRow("file does not exist") << "no-such-file.txt" << QByteArray() << false << none;
    QTest::newRow("line end only") << QString() << QByteArray("\n") << false << none;
    QTest::newRow("thirteen commas") << QString() << QByteArray(",,,,,,,,,,,,,") << true
                                     << of(0, 0, 0, 0, 500, 500, 0, 500, 0, 0, 0, 0, 0, 0);

    // The first line counts up to 64 KiB characters and no further.
    QTest::newRow("first line of exactly 64 KiB") << QString() << paddedLine(64 * 1024) + "\n"
                                                  << true << distinct;
    QTest::newRow("first line one past 64 KiB loses its last character")
        << QString() << paddedLine(64 * 1024 + 1) << true
        << of(12, 34, 56, 78, 900, 2000, 25, 1600, 300, 45, 67, 1, 0, 0);
    QTest::newRow("fourteenth field only past 64 KiB")
        << QString()
        << QByteArray("1,") + QByteArray(70 * 1024, '0') + ",3,4,5,6,7,8,9,10,11,12,13,14" << false
        << none;
}

void TestParameterFile::loadSetsControlsFromFirstLine()
{
    QFETCH(QString, reference);
    QFETCH(QByteArray, content);
    QFETCH(bool, loaded);
    QFETCH(ParameterSet, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString fileName = dataPath(reference);
    if (reference.isEmpty()) {
        fileName = dir.filePath(QStringLiteral("params.txt"));
        QVERIFY(writeBytes(fileName, content));
    }

    for (const ParameterSet &preset : {kPresetA, kPresetB}) {
        Widget w;
        setValues(w, preset);

        openFrom(w, fileName);

        QCOMPARE(WindowTest::values(w), loaded ? expected : preset);
        QCOMPARE(logMessages(w), loaded ? QStringList{kLoaded} : QStringList());
    }
}

// Whatever bytes a wrongly chosen file holds, loading either sets the
// controls and says so, or leaves them alone and says nothing.
void TestParameterFile::loadOfBinaryGarbageIsAllOrNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("garbage.txt"));
    QRandomGenerator random(20240611);
    Widget w;
    int loads = 0, refusals = 0;
    for (int round = 0; round < 200; ++round) {
        // Rich in commas so that both outcomes come up.
        QByteArray bytes;
        const int size = random.bounded(1, 200);
        for (int i = 0; i < size; ++i) {
            const int pick = random.bounded(10);
            bytes.append(pick < 3   ? ','
                         : pick < 5 ? char('0' + random.bounded(10))
                                    : char(random.bounded(256)));
        }
        QVERIFY(writeBytes(fileName, bytes));
        const ParameterSet preset = round % 2 ? kPresetA : kPresetB;
        setValues(w, preset);
        WindowTest::statusLog(w)->clear();

        openFrom(w, fileName);

        const QStringList log = logMessages(w);
        const int lineEnd = bytes.indexOf('\n');
        const QByteArray firstLine = lineEnd < 0 ? bytes : bytes.left(lineEnd);
        // Every control within its range.
        const ParameterSet shown = WindowTest::values(w);
        QCOMPARE(shown, Reference::clamped(shown));
        if (log.isEmpty()) {
            ++refusals;
            QCOMPARE(WindowTest::values(w), preset);
        } else {
            ++loads;
            QCOMPARE(log, QStringList{kLoaded});
            QVERIFY2(firstLine.count(',') >= 13, bytes.toHex().constData());
        }
    }
    QVERIFY(loads > 0);
    QVERIFY(refusals > 0);
}

void TestParameterFile::loadOfHugeFileWithoutLineEndReadsOnlyItsStart()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("huge.txt"));
    const qint64 fileSize = 16 * 1024 * 1024;
    {
        // Written a piece at a time, so that the test itself never holds it.
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        int number = 1;
        while (file.size() < fileSize) {
            QByteArray piece;
            while (piece.size() < 60000)
                piece += QByteArray::number(number++) + ',';
            QVERIFY(file.write(piece) == piece.size());
        }
    }
    Widget w;
    setValues(w, kPresetB);
    const long peakBefore = resetPeakResident() ? peakResidentKiB() : -1;
    if (peakBefore < 0)
        QSKIP("no resettable peak resident size (/proc/self/clear_refs, VmHWM)");

    openFrom(w, fileName);

    QCOMPARE(WindowTest::values(w), of(1, 2, 3, 4, 500, 500, 7, 500, 9, 10, 11, 1, 1, 1));
    QCOMPARE(logMessages(w), QStringList{kLoaded});
    // Reading it whole would take at least its size again, twice over as text.
    const long growthKiB = peakResidentKiB() - peakBefore;
    QVERIFY2(growthKiB < fileSize / 1024 / 4, QByteArray::number(qlonglong(growthKiB)));
}

void TestParameterFile::savedFileLoadsBackToSameValues()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("params.txt"));
    QRandomGenerator random(1500);
    Widget saver;
    Widget loader;
    saveAs(saver, fileName);
    for (int round = 0; round < 200; ++round) {
        // Often at the ends of the ranges, where off-by-one faults live.
        ParameterSet values, elsewhere;
        for (const ParameterInfo &param : kParameters) {
            const int pick = random.bounded(4);
            const int v = pick == 0   ? param.minimum
                          : pick == 1 ? param.maximum
                                      : random.bounded(param.minimum, param.maximum + 1);
            values.setValue(param.id, v);
            elsewhere.setValue(param.id, v == param.minimum ? param.maximum : param.minimum);
        }
        setValues(saver, values);
        setValues(loader, elsewhere);

        clickButton(saver, "pB_SaveParameter");
        openFrom(loader, fileName);

        QCOMPARE(WindowTest::values(loader), values);
        QCOMPARE(logMessages(saver).constLast(), kSaved);
        QCOMPARE(logMessages(loader).constLast(), kLoaded);
    }
}

void TestParameterFile::savedFileHoldsAsciiDigitsInEveryLocale_data()
{
    QTest::addColumn<QString>("locale");

    // Value fields there show Persian, Arabic-Indic and Bengali digits.
    for (const char *name : {"fa_IR", "ar_EG", "ar_SA", "bn_BD", "C"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The file is the same, and loads back the same, whatever digits the value
// fields show.
void TestParameterFile::savedFileHoldsAsciiDigitsInEveryLocale()
{
    QFETCH(QString, locale);

    const auto restoreLocale = qScopeGuard([old = QLocale()] { QLocale::setDefault(old); });
    QLocale::setDefault(QLocale(locale));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("params.txt"));
    Widget saver;
    Widget loader;
    setValues(saver, kDistinctValues);
    setValues(loader, kPresetB);

    saveAs(saver, fileName);
    openFrom(loader, fileName);

    QCOMPARE(WindowTest::values(loader), kDistinctValues);
    QCOMPARE(readBytes(fileName), readBytes(dataPath(QStringLiteral("distinct-values.txt"))));
    QCOMPARE(logMessages(saver), QStringList{kSaved});
    QCOMPARE(logMessages(loader), QStringList{kLoaded});
}

void TestParameterFile::emptiedEntryLoadsAsMinimum()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("params.txt"));
    Widget saver;
    // Two of them start above their minimum.
    for (Parameter p : {Parameter::TorqueGain, Parameter::MAXPulseWidth, Parameter::NeutralPoint})
        WindowTest::spinBox(saver, p)->findChild<QLineEdit *>()->clear();

    saveAs(saver, fileName);
    QCOMPARE(readBytes(fileName), QByteArray(",0,0,0,500,,0,,0,0,0,0,0,0"));

    Widget loader;
    setValues(loader, kPresetB);
    openFrom(loader, fileName);
    QCOMPARE(WindowTest::values(loader), of(0, 0, 0, 0, 500, 500, 0, 500, 0, 0, 0, 0, 0, 0));
    QCOMPARE(logMessages(loader), QStringList{kLoaded});
}

QTEST_MAIN(TestParameterFile)
#include "tst_parameterfile.moc"
