#ifndef NIMBAL_RECORDDATABASE_H
#define NIMBAL_RECORDDATABASE_H

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>

class QLocale;

// The line's database, as a station reaches it: by a libpq connection
// string or service name ("service=line1", "host=db.local dbname=line"),
// through Qt's PostgreSQL driver; on Windows through Qt's ODBC driver and
// the PostgreSQL ODBC driver (psqlODBC), to which the same keywords are
// passed on, or by an ODBC connection string of its own ("DSN=line1").
// No password is ever kept here: libpq's password file or service file,
// or the ODBC data source, holds it.
class RecordDatabase
{
    Q_DECLARE_TR_FUNCTIONS(RecordDatabase)

public:
    // Installs the record's words in the language of `locale`, over English.
    static bool installTranslation(const QLocale &locale);

    // Opens the connection `name` to the database `connection` names, on
    // the calling thread (a connection belongs to the thread that opened
    // it); false with `problem`, one line that names the server and the
    // reason. A connection that takes longer than a few seconds to come up
    // is given up.
    static bool open(const QString &connection, const QString &name, QString *problem);
    static void close(const QString &name);

    // `connection` as it may be shown: a password in it never is.
    static QString shown(const QString &connection);
    // `what` went wrong, and the server's or the driver's words for why, in
    // one line.
    static QString problemOf(const QSqlError &error, const QString &what);

    // A column's name as SQL quotes it: "before_TorqueGain".
    static QString quoted(const QString &name);
    // A null integer, bound where a servo gave no value.
    static QVariant nullInteger();
    // Text as it is bound: an empty text is never null, which a driver
    // binds as NULL.
    static QString text(const QString &value);
};

#endif
