// The audit log as a spreadsheet meets it: a text field that a spreadsheet
// would run as a formula is written guarded, quotes and commas are quoted,
// and the log's own reader gives back every field as it was.

#include "files/auditlog.h"
#include "parametervalues.h"
#include "referenceframe.h"
#include "textlines.h"

#include <QTemporaryDir>
#include <QtTest>

class TestAuditLog : public QObject
{
    Q_OBJECT

private slots:
    void noTextFieldIsAFormulaAndEachReadsBackAsGiven();
};

void TestAuditLog::noTextFieldIsAFormulaAndEachReadsBackAsGiven()
{
    struct Given
    {
        QString port;
        bool passed;
        QString label;
    };
    // A port beginning with '=' is no label, and is guarded all the same.
    const QVector<Given> given = {{QStringLiteral("/dev/ttyUSB0"), true, QStringLiteral("SN,4\"2")},
                                  {QStringLiteral("=1+1"), false, QStringLiteral("'already")},
                                  {QStringLiteral("@ttyS0"), true, QStringLiteral("+1;\\x")},
                                  {QStringLiteral("COM3"), true, QStringLiteral("\tSN-4")}};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("servos.csv"));
    {
        AuditLog log;
        QString reason;
        QVERIFY2(log.open(path, &reason), qPrintable(reason));
        for (int i = 0; i < given.size(); ++i) {
            const QDateTime time(QDate(2026, 12, 9), QTime(10, 0, i), Qt::OffsetFromUTC, 3600);
            QVERIFY(log.append({time, given.at(i).port, i + 1, given.at(i).passed,
                                Reference::startValues(), std::nullopt, given.at(i).label},
                               &reason));
        }
    }
    const QStringList lines = linesOf(path);
    QCOMPARE(lines.mid(1), linesOf(QStringLiteral(NIMBAL_TEST_DATA "/guarded-rows.csv")));

    QSet<QString> passed;
    for (int i = 0; i < given.size(); ++i) {
        const QStringList fields = AuditLog::fieldsOf(lines.at(i + 1));
        QCOMPARE(fields.at(1), given.at(i).port);
        QCOMPARE(fields.at(4 + 28), given.at(i).label);
        if (given.at(i).passed)
            passed.insert(given.at(i).label);
    }
    const AuditLog::Contents contents = AuditLog::contentsOf(path);
    QCOMPARE(contents.passedLabels, passed);
    QCOMPARE(contents.lastNumber, 4);
}

QTEST_GUILESS_MAIN(TestAuditLog)
#include "tst_auditlog.moc"
