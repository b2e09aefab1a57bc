#ifndef NIMBAL_RECORDROWS_H
#define NIMBAL_RECORDROWS_H

#include "files/auditlog.h"

#include <QCoreApplication>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

// The rows of the line record, newest first: from the line's database, or
// from stations' audit logs given as files where there is no database.
// Each row is read by the audit log's own rule, whichever it comes from.
class RecordRows
{
    Q_DECLARE_TR_FUNCTIONS(RecordRows)

public:
    // Which rows: those of one label, those recorded on or after a day
    // (UTC); either may be left out.
    struct Filter
    {
        QString label;
        QDate since;
    };

    // False with `problem` when the database cannot be read.
    static bool fromDatabase(const QString &connection, const Filter &filter,
                             QVector<AuditLog::Row> *rows, QString *problem);
    // False with `problem` when a log cannot be read.
    static bool fromLogs(const QStringList &logs, const Filter &filter,
                         QVector<AuditLog::Row> *rows, QString *problem);

    // When a row was recorded: its recorded_at, or for a row of a log
    // older than the record, its time.
    static QDateTime recordedAt(const AuditLog::Row &row);
};

#endif
