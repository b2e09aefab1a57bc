#include "recorddatabase.h"

#include "text/catalogue.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>

namespace {

// Seconds a connection may take to come up: a station whose server is
// away goes on with its journal instead of waiting for the system's
// timeout, minutes on some networks.
constexpr int kConnectSeconds = 5;

#ifdef Q_OS_WIN
// An ODBC connection string for psqlODBC, which hands its pqopt to libpq as
// it stands: the same keywords, a service name and TLS settings work as
// on Linux. One of ODBC's own (a DSN, a driver) is used as it is.
QString odbcConnection(const QString &connection)
{
    if (connection.contains(QLatin1String("DSN="), Qt::CaseInsensitive) ||
        connection.contains(QLatin1String("Driver="), Qt::CaseInsensitive))
        return connection;
    QString braced = connection;
    braced.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QStringLiteral("Driver={PostgreSQL Unicode};pqopt={%1}").arg(braced);
}
#endif

} // namespace

bool RecordDatabase::installTranslation(const QLocale &locale)
{
    Q_INIT_RESOURCE(recordtranslations);
    static QTranslator english;
    static QTranslator native;
    return Catalogue::install(QStringLiteral("nimbal-record"), locale, &english, &native);
}

bool RecordDatabase::open(const QString &connection, const QString &name, QString *problem)
{
#ifdef Q_OS_WIN
    const QString driver = QStringLiteral("QODBC");
#else
    const QString driver = QStringLiteral("QPSQL");
#endif
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        *problem = tr("database %1: cannot connect: Qt's SQL driver %2 is not installed")
                       .arg(shown(connection), driver);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                   : QSqlDatabase::addDatabase(driver, name);
#ifdef Q_OS_WIN
    db.setDatabaseName(odbcConnection(connection));
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(kConnectSeconds));
#else
    // The whole connection string goes to libpq as it stands.
    QString options = connection;
    static const QRegularExpression timed(QStringLiteral("\\bconnect_timeout\\s*="));
    if (!connection.contains(timed))
        options += QStringLiteral(" connect_timeout=%1").arg(kConnectSeconds);
    db.setConnectOptions(options);
#endif
    if (db.open())
        return true;
    *problem = problemOf(db.lastError(), tr("database %1: cannot connect").arg(shown(connection)));
    db.close();
    return false;
}

void RecordDatabase::close(const QString &name)
{
    if (!QSqlDatabase::contains(name))
        return;
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

QString RecordDatabase::shown(const QString &connection)
{
    QString text = connection;
    static const QRegularExpression secret(
        QStringLiteral("\\b(password|pwd)(\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*'|[^;\\s]*)"),
        QRegularExpression::CaseInsensitiveOption);
    return text.replace(secret, QStringLiteral("\\1\\2***"));
}

QString RecordDatabase::problemOf(const QSqlError &error, const QString &what)
{
    QString reason = error.databaseText().simplified();
    if (reason.isEmpty())
        reason = error.driverText().simplified();
    return what + QStringLiteral(": ") + reason;
}

QString RecordDatabase::quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QVariant RecordDatabase::nullInteger()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QVariant(QMetaType(QMetaType::Int));
#else
    return QVariant(QVariant::Int);
#endif
}

QString RecordDatabase::text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}
