// The status log: "[stamp] message" lines stamped by the one-second clock,
// the latest four kept; and what the window logs on its own (nothing at
// start, nothing for a request without a port, nothing for a cancelled file
// dialog).

#include "app/widget.h"
#include "windowtest.h"

#include <QDateTime>
#include <QPushButton>
#include <QTextCursor>
#include <QThread>
#include <QtTest>

using namespace WindowTest;

namespace {

const char kStampFormat[] = "yyyy-MM-dd HH:mm:ss";

// The stamp between the brackets of a line.
QString stampOf(const QString &line)
{
    const int close = line.indexOf(QLatin1String("] "));
    return line.startsWith(QLatin1Char('[')) && close > 0 ? line.mid(1, close - 1) : QString();
}

} // namespace

class TestStatusLog : public QObject
{
    Q_OBJECT

private slots:
    void windowStartsWithAnEmptyLog();
    void lineBeforeTheFirstTickHasAnEmptyStamp();
    void lineAfterTheFirstTickCarriesTheLocalTime();
    void onlyTheLatestFourLinesStay();
    void latestLineIsInView_data();
    void latestLineIsInView();
    void linesBetweenTwoTicksShareTheirStamp();
    void requestsWithoutAPortLogNothing_data();
    void requestsWithoutAPortLogNothing();
    void fileButtonsAskForAFileOncePerClick_data();
    void fileButtonsAskForAFileOncePerClick();
};

void TestStatusLog::windowStartsWithAnEmptyLog()
{
    Widget w;
    QVERIFY(statusLog(w)->toPlainText().isEmpty());
    QCOMPARE(statusLog(w)->document()->blockCount(), 1);
    QVERIFY(!serialPort(w)->isOpen());
    QCoreApplication::processEvents();
    QVERIFY(statusLog(w)->toPlainText().isEmpty());
}

void TestStatusLog::lineBeforeTheFirstTickHasAnEmptyStamp()
{
    Widget w;
    w.appendStatus(QStringLiteral("message"));
    QCOMPARE(logLines(w), QStringList{"[] message"});
}

void TestStatusLog::lineAfterTheFirstTickCarriesTheLocalTime()
{
    Widget w;
    QString line;
    QTRY_VERIFY_WITH_TIMEOUT((w.appendStatus(QStringLiteral("probe")),
                              line = logLines(w).constLast(), !stampOf(line).isEmpty()),
                             3000);
    const QString stamp = stampOf(line);
    QCOMPARE(line, QLatin1Char('[') + stamp + QLatin1String("] probe"));
    QCOMPARE(stamp.size(), 19);
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                 .match(stamp)
                 .hasMatch(),
             qPrintable(stamp));
    // Local time, 24-hour clock, at most a tick behind.
    const QDateTime stamped = QDateTime::fromString(stamp, QLatin1String(kStampFormat));
    QVERIFY(stamped.isValid());
    const qint64 lag = stamped.secsTo(QDateTime::currentDateTime());
    QVERIFY2(lag >= 0 && lag <= 2, qPrintable(stamp));
}

void TestStatusLog::onlyTheLatestFourLinesStay()
{
    Widget w;
    for (int i = 1; i <= 6; ++i)
        w.appendStatus(QStringLiteral("message %1").arg(i));
    QCOMPARE(statusLog(w)->document()->blockCount(), 4);
    QCOMPARE(logMessages(w), (QStringList{"message 3", "message 4", "message 5", "message 6"}));
}

void TestStatusLog::latestLineIsInView_data()
{
    QTest::addColumn<int>("logged"); // lines logged before the font grows
    QTest::newRow("taller font from the start") << 0;
    // The view is left off the end, where the log must take it back.
    QTest::newRow("font grows under two lines") << 2;
}

// The log holds more lines than it shows (a font taller than the window was
// drawn for, such as another system's fallback for the window's font): the
// line just logged is the one in view.
void TestStatusLog::latestLineIsInView()
{
    QFETCH(int, logged);
    Widget w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTextBrowser *log = statusLog(w);
    for (int i = 1; i <= logged; ++i)
        w.appendStatus(QStringLiteral("line %1").arg(i));
    QCoreApplication::processEvents();
    // The largest font of which one line fits and two do not.
    QFont font = log->font();
    for (int pixels = 40; pixels > 4; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).lineSpacing() * 5 / 3 < log->viewport()->height())
            break;
    }
    log->setFont(font);
    QCoreApplication::processEvents();
    for (int i = logged + 1; i <= 6; ++i) {
        w.appendStatus(QStringLiteral("line %1").arg(i));
        QCoreApplication::processEvents();
        // Where the newest line ends, as the view shows it.
        QTextCursor end(log->document());
        end.movePosition(QTextCursor::End);
        const QRect shown = log->cursorRect(end);
        QVERIFY2(log->viewport()->rect().contains(shown),
                 qPrintable(QStringLiteral("line %1 ends at %2..%3 of %4")
                                .arg(i)
                                .arg(shown.top())
                                .arg(shown.bottom())
                                .arg(log->viewport()->height())));
    }
}

// The stamp is the time of the latest tick, not of the logging: a line
// logged after the wall clock's second has turned, but before the next tick,
// carries the same stamp.
void TestStatusLog::linesBetweenTwoTicksShareTheirStamp()
{
    Widget w;
    QTRY_VERIFY_WITH_TIMEOUT(
        (w.appendStatus(QStringLiteral("first")), !stampOf(logLines(w).constLast()).isEmpty()),
        3000);
    const QString second = QDateTime::currentDateTime().toString(QLatin1String(kStampFormat));
    // No events run here, so no tick can come in between.
    while (QDateTime::currentDateTime().toString(QLatin1String(kStampFormat)) == second)
        QThread::msleep(5);
    w.appendStatus(QStringLiteral("second"));
    const QStringList lines = logLines(w);
    QCOMPARE(messageOf(lines.constLast()), QStringLiteral("second"));
    QCOMPARE(stampOf(lines.constLast()), stampOf(lines.at(lines.size() - 2)));
}

void TestStatusLog::requestsWithoutAPortLogNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("read") << "pB_ReadParameter";
    QTest::newRow("write") << "pB_WriteParameter";
}

void TestStatusLog::requestsWithoutAPortLogNothing()
{
    QFETCH(QString, button);
    Widget w;
    QTest::mouseClick(w.findChild<QPushButton *>(button), Qt::LeftButton);
    QVERIFY(!serialPort(w)->isOpen());
    QVERIFY(logLines(w).isEmpty());
}

void TestStatusLog::fileButtonsAskForAFileOncePerClick_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("opens");
    QTest::newRow("open") << "pB_OpenParameter" << true;
    QTest::newRow("save") << "pB_SaveParameter" << false;
}

// Each click asks once, through the dialog of its own button; the user
// cancels, and nothing is logged.
void TestStatusLog::fileButtonsAskForAFileOncePerClick()
{
    QFETCH(QString, button);
    QFETCH(bool, opens);
    Widget w;
    int openAsked = 0;
    int saveAsked = 0;
    const auto cancelled = [](int &asked) {
        return [&asked](QWidget *, const QString &, const QString &, const QString &) {
            ++asked;
            return QString();
        };
    };
    w.setOpenFileDialog(cancelled(openAsked));
    w.setSaveFileDialog(cancelled(saveAsked));
    auto *pushButton = w.findChild<QPushButton *>(button);
    QTest::mouseClick(pushButton, Qt::LeftButton);
    QCOMPARE(openAsked, opens ? 1 : 0);
    QCOMPARE(saveAsked, opens ? 0 : 1);
    QTest::mouseClick(pushButton, Qt::LeftButton);
    QCOMPARE(openAsked + saveAsked, 2);
    QVERIFY(logLines(w).isEmpty());
}

QTEST_MAIN(TestStatusLog)
#include "tst_statuslog.moc"
