#ifndef NIMBAL_RECORDSCHEMA_H
#define NIMBAL_RECORDSCHEMA_H

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QString>

// The line record's tables (schema.sql, compiled in and shipped beside the
// programs), versioned: init() creates them in an empty database or brings
// an older one up to date, and refuses one that is newer than it knows.
class RecordSchema
{
    Q_DECLARE_TR_FUNCTIONS(RecordSchema)

public:
    // The newest version schema.sql holds.
    static int knownVersion();
    // The version `db` holds: 0 when it has none of the record's tables;
    // -1 with `problem` when it cannot be read.
    static int versionOf(const QSqlDatabase &db, QString *problem);
    // Creates or updates the schema in one transaction: nothing changes
    // when a statement fails. `before` is the version found; false with
    // `problem` when it cannot.
    static bool init(QSqlDatabase db, int *before, QString *problem);
};

#endif
