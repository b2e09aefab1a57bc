#include "recordschema.h"

#include "recorddatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStringList>

// The schema is compiled into the library, which holds it as a resource.
static void initResource()
{
    Q_INIT_RESOURCE(recordschema);
}

namespace {

struct Version
{
    int number;
    QStringList statements;
};

// The versions of schema.sql, each "-- version N" and its statements.
QList<Version> versions()
{
    initResource();
    QFile file(QStringLiteral(":/record/schema.sql"));
    QList<Version> found;
    if (!file.open(QIODevice::ReadOnly))
        return found;
    static const QRegularExpression heading(QStringLiteral("^-- version (\\d+)$"));
    QString statement;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = heading.match(line);
        if (match.hasMatch()) {
            found.append(Version{match.captured(1).toInt(), {}});
        } else if (!found.isEmpty() && !line.startsWith(QLatin1String("--"))) {
            statement += line + QLatin1Char('\n');
            if (line.trimmed().endsWith(QLatin1Char(';'))) {
                found.last().statements.append(statement.trimmed());
                statement.clear();
            }
        }
    }
    return found;
}

} // namespace

int RecordSchema::knownVersion()
{
    const QList<Version> all = versions();
    return all.isEmpty() ? 0 : all.constLast().number;
}

int RecordSchema::versionOf(const QSqlDatabase &db, QString *problem)
{
    if (!db.tables().contains(QStringLiteral("nimbal_schema")))
        return 0;
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT max(version) FROM nimbal_schema")) && query.next())
        return query.value(0).toInt();
    *problem = RecordDatabase::problemOf(query.lastError(), tr("cannot read the schema's version"));
    return -1;
}

bool RecordSchema::init(QSqlDatabase db, int *before, QString *problem)
{
    *before = versionOf(db, problem);
    if (*before < 0)
        return false;
    const int known = knownVersion();
    if (*before > known) {
        *problem = tr("the database's schema is version %1, newer than the %2 this program "
                      "knows: use a newer program")
                       .arg(*before)
                       .arg(known);
        return false;
    }
    if (!db.transaction()) {
        *problem = RecordDatabase::problemOf(db.lastError(), tr("cannot begin a transaction"));
        return false;
    }
    QSqlQuery query(db);
    for (const Version &version : versions()) {
        if (version.number <= *before)
            continue;
        for (const QString &statement : version.statements) {
            if (!query.exec(statement)) {
                *problem = tr("version %1 of the schema failed: %2")
                               .arg(version.number)
                               .arg(RecordDatabase::problemOf(
                                   query.lastError(), statement.section(QLatin1Char('\n'), 0, 0)));
                db.rollback();
                return false;
            }
        }
    }
    if (!db.commit()) {
        *problem = RecordDatabase::problemOf(db.lastError(), tr("cannot commit the schema"));
        return false;
    }
    return true;
}
