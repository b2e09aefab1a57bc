#include "recordreport.h"

#include "recordrows.h"

#include <QMap>

#include <algorithm>

QVector<RecordReport::Line> RecordReport::of(const QVector<AuditLog::Row> &rows)
{
    QMap<QPair<QString, QDate>, Line> lines;
    QMap<QPair<QString, QDate>, QMap<QString, int>> fields;
    for (const AuditLog::Row &row : rows) {
        const QPair<QString, QDate> key{row.run.station,
                                        RecordRows::recordedAt(row).toUTC().date()};
        Line &line = lines[key];
        line.station = key.first;
        line.day = key.second;
        ++line.setUp;
        ++(row.passed ? line.passed : line.failed);
        if (!row.passed && !row.after)
            ++line.failedUnread;
        for (const QString &field : row.failedFields)
            ++fields[key][field];
    }
    QVector<Line> report;
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        const QMap<QString, int> counts = fields.value(it.key());
        for (auto field = counts.cbegin(); field != counts.cend(); ++field)
            it->failedFields.append({field.key(), field.value()});
        std::stable_sort(it->failedFields.begin(), it->failedFields.end(),
                         [](const QPair<QString, int> &a, const QPair<QString, int> &b) {
                             return a.second > b.second;
                         });
        report.append(*it);
    }
    return report;
}
