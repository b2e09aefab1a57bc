#ifndef NIMBAL_TESTS_POSTGRESTEST_H
#define NIMBAL_TESTS_POSTGRESTEST_H

#include <QString>
#include <QStringList>
#include <QVector>

// The tests' PostgreSQL server, which ctest's fixture starts and stops
// (tests/record/postgres-server.sh) and names in NIMBAL_TEST_POSTGRES: its
// folder, a fresh database for each test, and SQL run as its superuser, so
// a test reads what arrived with statements of its own.
namespace PostgresTest {

// The server's folder; empty when no server was started for the test.
QString folder();
// Does `action` (start, stop, pause, resume) to the server in `where`, or
// in folder(), with tests/record/postgres-server.sh.
bool server(const char *action, const QString &where = folder());
// The line record's schema in the database `connection` names, as
// `nimbalctl db init` makes it.
bool initSchema(const QString &connection);
// A libpq connection string for `database` as `user`.
QString connection(const QString &database, const QString &user = QStringLiteral("nimbal_admin"));
// Drops `database` if it is there and creates it empty; its connection.
QString freshDatabase(const QString &database);
// Runs `sql` in `database` as the superuser: the rows, each value as text;
// `error` (when given) says what failed.
QVector<QStringList> query(const QString &database, const QString &sql, QString *error = nullptr);
// A station's login: `user`, with `password`, in the role nimbal_station
// (which the schema creates).
bool createStationLogin(const QString &user, const QString &password);
// A libpq password file in `folder` with `password` for `user`; its path.
QString passwordFile(const QString &folder, const QString &user, const QString &password);

} // namespace PostgresTest

#endif
