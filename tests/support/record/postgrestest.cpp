#include "postgrestest.h"

#include "recorddatabase.h"
#include "recordschema.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

constexpr int kPort = 5439;
constexpr const char *kAdmin = "nimbal_admin";

// Runs `sql` in `database` on a connection of its own.
QVector<QStringList> run(const QString &database, const QString &sql, QString *error)
{
    static int connections = 0;
    const QString name = QStringLiteral("postgrestest-%1").arg(++connections);
    QVector<QStringList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setConnectOptions(PostgresTest::connection(database));
        QSqlQuery query(db);
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
        } else if (!query.exec(sql)) {
            if (error)
                *error = query.lastError().databaseText();
        } else {
            while (query.next()) {
                QStringList row;
                for (int i = 0; i < query.record().count(); ++i)
                    row.append(query.isNull(i) ? QString() : query.value(i).toString());
                rows.append(row);
            }
            if (error)
                error->clear();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

} // namespace

namespace PostgresTest {

QString folder()
{
    return qEnvironmentVariable("NIMBAL_TEST_POSTGRES");
}

bool server(const char *action, const QString &where)
{
    return QProcess::execute(QStringLiteral("bash"), {QStringLiteral(NIMBAL_POSTGRES_SERVER),
                                                      QLatin1String(action), where}) == 0;
}

bool initSchema(const QString &connection)
{
    const QString name = QStringLiteral("postgrestest-schema");
    QString problem;
    if (!RecordDatabase::open(connection, name, &problem))
        return false;
    int before = 0;
    const bool made = RecordSchema::init(QSqlDatabase::database(name), &before, &problem);
    RecordDatabase::close(name);
    return made;
}

QString connection(const QString &database, const QString &user)
{
    return QStringLiteral("host=%1/socket port=%2 dbname=%3 user=%4")
        .arg(folder())
        .arg(kPort)
        .arg(database, user);
}

QString freshDatabase(const QString &database)
{
    run(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database),
        nullptr);
    run(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(database), nullptr);
    return connection(database);
}

QVector<QStringList> query(const QString &database, const QString &sql, QString *error)
{
    return run(database, sql, error);
}

bool createStationLogin(const QString &user, const QString &password)
{
    QString error;
    run(QStringLiteral("postgres"), QStringLiteral("DROP ROLE IF EXISTS %1").arg(user), nullptr);
    run(QStringLiteral("postgres"),
        QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2' IN ROLE nimbal_station")
            .arg(user, password),
        &error);
    return error.isEmpty();
}

QString passwordFile(const QString &folder, const QString &user, const QString &password)
{
    const QString path = folder + QStringLiteral("/pgpass");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(QStringLiteral("*:*:*:%1:%2\n").arg(user, password).toUtf8());
        file.close();
    }
    // libpq reads no password file that others may read.
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

} // namespace PostgresTest
