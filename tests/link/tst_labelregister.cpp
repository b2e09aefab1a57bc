// The one rule for a scanned label, as a table: what a careless or hostile
// part could make a scanner type, and what becomes of it.

#include "lane/labelregister.h"
#include "text/linktext.h"

#include <QtTest>

class TestLabelRegister : public QObject
{
    Q_OBJECT

private slots:
    // The plural forms are English's.
    void initTestCase() { QVERIFY(LinkText::installTranslation(QLocale(QLocale::English))); }
    void aScannedLabelIsTakenOrRefusedWithItsReason_data();
    void aScannedLabelIsTakenOrRefusedWithItsReason();
};

void TestLabelRegister::aScannedLabelIsTakenOrRefusedWithItsReason_data()
{
    QTest::addColumn<QString>("scanned");
    QTest::addColumn<QString>("label");  // as taken, trimmed
    QTest::addColumn<QString>("reason"); // empty: taken

    const QString taken;
    QTest::newRow("plain") << "SN-0042"
                           << "SN-0042" << taken;
    QTest::newRow("spaces around") << "  SN-0042 "
                                   << "SN-0042" << taken;
    QTest::newRow("only spaces") << "   "
                                 << ""
                                 << "the label is empty: scan the servo's label";
    QTest::newRow("64 characters")
        << QString(64, QLatin1Char('7')) << QString(64, QLatin1Char('7')) << taken;
    QTest::newRow("65 characters")
        << QString(65, QLatin1Char('7')) << QString(65, QLatin1Char('7'))
        << "the label has 65 characters, more than the 64 a label may have";
    QTest::newRow("64 characters, one beyond the first plane")
        << QString(63, QLatin1Char('7')) + QString::fromUtf8("\xF0\x9F\x94\xA7")
        << QString(63, QLatin1Char('7')) + QString::fromUtf8("\xF0\x9F\x94\xA7") << taken;
    const QString formula = QStringLiteral(": a spreadsheet would take it for a formula");
    QTest::newRow("=1+1") << "=1+1"
                          << "=1+1"
                          << "the label begins with '='" + formula;
    QTest::newRow("+1") << "+1"
                        << "+1"
                        << "the label begins with '+'" + formula;
    QTest::newRow("-1") << "-1"
                        << "-1"
                        << "the label begins with '-'" + formula;
    QTest::newRow("@SUM(A1)") << "@SUM(A1)"
                              << "@SUM(A1)"
                              << "the label begins with '@'" + formula;
    QTest::newRow("=HYPERLINK after spaces") << " =HYPERLINK(\"http://x\";\"y\")"
                                             << "=HYPERLINK(\"http://x\";\"y\")"
                                             << "the label begins with '='" + formula;
    QTest::newRow("a tab") << "SN\t42"
                           << "SN\t42"
                           << "the label holds a control character (U+0009): scan it again";
    QTest::newRow("a tab at the end") << "SN-42\t"
                                      << "SN-42\t"
                                      << "the label holds a control character (U+0009): scan "
                                         "it again";
    QTest::newRow("a BEL") << "SN\a42"
                           << "SN\a42"
                           << "the label holds a control character (U+0007): scan it again";
    QTest::newRow("an escape sequence")
        << "SN\x1b[2J"
        << "SN\x1b[2J"
        << "the label holds a control character (U+001B): scan it again";
    QTest::newRow("a zero-width joiner")
        << QString::fromUtf8("SN\xE2\x80\x8D"
                             "42")
        << QString::fromUtf8("SN\xE2\x80\x8D"
                             "42")
        << "the label holds a control character (U+200D): scan it again";
    QTest::newRow("a comma and a quote") << "SN,4\"2;x\\y"
                                         << "SN,4\"2;x\\y" << taken;
    QTest::newRow("a minus inside") << "A-1"
                                    << "A-1" << taken;
}

void TestLabelRegister::aScannedLabelIsTakenOrRefusedWithItsReason()
{
    QFETCH(QString, scanned);
    QFETCH(QString, label);
    QFETCH(QString, reason);
    QCOMPARE(LabelRegister::trimmed(scanned), label);
    QCOMPARE(LabelRegister::ruleRefusal(label), reason);
}

QTEST_GUILESS_MAIN(TestLabelRegister)
#include "tst_labelregister.moc"
