#include "recordrows.h"

#include "recorddatabase.h"

#include <QFileInfo>
#include <QSqlQuery>

#include <algorithm>

namespace {

bool wanted(const AuditLog::Row &row, const RecordRows::Filter &filter)
{
    return (filter.label.isEmpty() || row.label == filter.label) &&
           (!filter.since.isValid() ||
            RecordRows::recordedAt(row) >= filter.since.startOfDay(Qt::UTC));
}

void newestFirst(QVector<AuditLog::Row> *rows)
{
    std::stable_sort(rows->begin(), rows->end(),
                     [](const AuditLog::Row &a, const AuditLog::Row &b) {
                         return RecordRows::recordedAt(a) > RecordRows::recordedAt(b);
                     });
}

// A column as text, as the audit log writes it: times in ISO 8601.
QString selected(const QString &name)
{
    const QString column = RecordDatabase::quoted(name);
    if (name == QLatin1String("time") || name == QLatin1String("recorded_at"))
        return QStringLiteral("to_char(%1 AT TIME ZONE 'UTC', "
                              "'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')")
            .arg(column);
    return column;
}

} // namespace

QDateTime RecordRows::recordedAt(const AuditLog::Row &row)
{
    return row.recordedAt.isValid() ? row.recordedAt : row.time;
}

bool RecordRows::fromDatabase(const QString &connection, const Filter &filter,
                              QVector<AuditLog::Row> *rows, QString *problem)
{
    const QString name = QStringLiteral("nimbal-record-rows");
    if (!RecordDatabase::open(connection, name, problem))
        return false;
    bool read = false;
    {
        const QStringList header = AuditLog::header();
        QStringList columns;
        for (const QString &column : header)
            columns.append(selected(column));
        QSqlQuery query(QSqlDatabase::database(name, false));
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT %1 FROM servo_records WHERE (? = '' OR \"label\" = ?) "
                                     "AND \"recorded_at\" >= CAST(? AS timestamptz) "
                                     "ORDER BY \"recorded_at\" DESC")
                          .arg(columns.join(QLatin1Char(','))));
        query.addBindValue(RecordDatabase::text(filter.label));
        query.addBindValue(RecordDatabase::text(filter.label));
        query.addBindValue(filter.since.isValid()
                               ? filter.since.startOfDay(Qt::UTC).toString(Qt::ISODate)
                               : QStringLiteral("-infinity"));
        read = query.exec();
        const QVector<int> positions = AuditLog::columnsOf(header);
        while (read && query.next()) {
            QStringList fields;
            // A null is an empty field, as in the log: no value read back.
            for (int i = 0; i < header.size(); ++i)
                fields.append(query.isNull(i) ? QString() : query.value(i).toString());
            if (const std::optional<AuditLog::Row> row = AuditLog::rowOf(positions, fields))
                rows->append(*row);
        }
        if (!read)
            *problem = RecordDatabase::problemOf(
                query.lastError(),
                tr("database %1: rows not read").arg(RecordDatabase::shown(connection)));
    }
    RecordDatabase::close(name);
    newestFirst(rows);
    return read;
}

bool RecordRows::fromLogs(const QStringList &logs, const Filter &filter,
                          QVector<AuditLog::Row> *rows, QString *problem)
{
    for (const QString &log : logs) {
        const bool read = AuditLog::forEachRow(log, [&](const AuditLog::Row &row) {
            if (wanted(row, filter))
                rows->append(row);
        });
        if (!read) {
            *problem = tr("%1: not a log that can be read").arg(log);
            return false;
        }
    }
    newestFirst(rows);
    return true;
}
