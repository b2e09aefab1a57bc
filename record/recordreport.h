#ifndef NIMBAL_RECORDREPORT_H
#define NIMBAL_RECORDREPORT_H

#include "files/auditlog.h"

#include <QDate>
#include <QPair>
#include <QString>
#include <QVector>

// What a line did, for each station and day (UTC): the servos set up,
// passed and failed, and the fields that failed most, most first; a
// failure with nothing read back (no answer, a port lost) has no field
// and is counted apart.
struct RecordReport
{
    struct Line
    {
        QString station;
        QDate day;
        int setUp = 0;
        int passed = 0;
        int failed = 0;
        int failedUnread = 0;                      // failed with nothing read back
        QVector<QPair<QString, int>> failedFields; // most first, then by name
    };

    // By station, then by day, oldest first.
    static QVector<Line> of(const QVector<AuditLog::Row> &rows);
};

#endif
