#include "recordsender.h"

#include "files/auditlog.h"
#include "files/filesaver.h"
#include "recorddatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTimer>
#include <QVector>

#include <optional>

namespace {

// Rows of the journal after `offset`, and where each one ends.
struct Waiting
{
    QVector<AuditLog::Row> rows;
    QVector<qint64> ends;
    qint64 end = 0; // after the last whole line read
};

// The sender's place: the offset in the journal of the first row not sent.
qint64 readPlace(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const qint64 place = QString::fromLatin1(file.readLine(64)).trimmed().toLongLong(&ok);
    return ok && place >= 0 ? place : 0;
}

bool writePlace(const QString &path, qint64 place, QString *problem)
{
    const std::optional<FileSaver::Problem> failed =
        FileSaver::save(path, QByteArray::number(place) + '\n');
    if (failed)
        *problem = QStringLiteral("%1: %2").arg(path, failed->reason);
    return !failed;
}

// The rows of the journal from `place` on: only whole lines, as the last
// may be being written; rows with no station or run (from logs older than
// the record) are passed over.
Waiting rowsAfter(const QString &journal, qint64 place)
{
    Waiting waiting;
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return waiting;
    constexpr qint64 kLongestLine = 64 * 1024;
    const QVector<int> columns =
        AuditLog::columnsOf(AuditLog::fieldsOf(QString::fromUtf8(file.readLine(kLongestLine))));
    // A journal replaced by a shorter one is sent from its start: what was
    // sent of it already meets its key.
    if (place < file.pos() || place > file.size())
        place = file.pos();
    file.seek(place);
    waiting.end = place;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(kLongestLine);
        if (!line.endsWith('\n'))
            break;
        waiting.end = file.pos();
        const std::optional<AuditLog::Row> row =
            AuditLog::rowOf(columns, AuditLog::fieldsOf(QString::fromUtf8(line)));
        if (!row || row->run.station.isEmpty() || row->run.id.isEmpty())
            continue;
        waiting.rows.append(*row);
        waiting.ends.append(waiting.end);
    }
    return waiting;
}

// Whether a column is the same on every row of a run.
bool ofTheRun(const QString &name)
{
    static const QStringList run = {QStringLiteral("station"),     QStringLiteral("run"),
                                    QStringLiteral("recipe_file"), QStringLiteral("recipe_sha256"),
                                    QStringLiteral("operator"),    QStringLiteral("software")};
    return run.contains(name);
}

// One statement for a batch of rows of one run, of any size: the run's
// columns are bound once, and each other column's values as one array,
// which the server unnests into rows. The server parses a few dozen
// values instead of 42 a row, and the statement is prepared once.
QString insertStatement()
{
    QStringList columns;
    QStringList selected;
    QStringList arrays;
    QStringList names;
    for (const QString &name : AuditLog::header()) {
        columns.append(RecordDatabase::quoted(name));
        if (ofTheRun(name)) {
            selected.append(QStringLiteral("CAST(? AS text)"));
            continue;
        }
        const bool time = name == QLatin1String("time") || name == QLatin1String("recorded_at");
        const bool number = name == QLatin1String("number") ||
                            name.startsWith(QLatin1String("before_")) ||
                            name.startsWith(QLatin1String("after_"));
        arrays.append(QStringLiteral("CAST(? AS %1[])")
                          .arg(QLatin1String(time     ? "timestamptz"
                                             : number ? "integer"
                                                      : "text")));
        names.append(QStringLiteral("c%1").arg(names.size()));
        selected.append(QStringLiteral("u.") + names.constLast());
    }
    return QStringLiteral("INSERT INTO servo_records (%1) SELECT %2 FROM unnest(%3) AS u(%4) "
                          "ON CONFLICT (\"station\", \"run\", \"number\") DO NOTHING")
        .arg(columns.join(QLatin1Char(',')), selected.join(QLatin1Char(',')),
             arrays.join(QLatin1Char(',')), names.join(QLatin1Char(',')));
}

// The array literals of a batch, a column each, as the server reads
// arrays: "{...,...}", a text quoted with a quote or a backslash in it
// escaped, a missing number NULL. Built in one pass a column, as they hold
// thousands of elements.
struct ArrayLiteral
{
    QString text = QStringLiteral("{");

    void add(const QString &value)
    {
        text += QLatin1Char('"');
        for (const QChar c : value) {
            if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
                text += QLatin1Char('\\');
            text += c;
        }
        text += QLatin1String("\",");
    }
    void add(std::optional<int> value)
    {
        if (value)
            text += QString::number(*value);
        else
            text += QLatin1String("NULL");
        text += QLatin1Char(',');
    }
    QString done()
    {
        if (text.size() > 1)
            text.chop(1);
        return text + QLatin1Char('}');
    }
};

// The rows [first, first + count), all of one run, as the statement takes
// them.
void bind(QSqlQuery &query, const Waiting &waiting, int first, int count)
{
    using Row = AuditLog::Row;
    const auto column = [&](const auto &of) {
        ArrayLiteral array;
        array.text.reserve(count * 24);
        for (int i = first; i < first + count; ++i)
            array.add(of(waiting.rows.at(i)));
        query.addBindValue(array.done());
    };
    // The run's columns come first in the statement, once for the batch.
    const AuditLog::Run &run = waiting.rows.at(first).run;
    for (const QString &text :
         {run.station, run.id, run.recipeFile, run.recipeSha256, run.operatorName, run.software})
        query.addBindValue(RecordDatabase::text(text));
    column([](const Row &row) { return row.time.toString(Qt::ISODateWithMs); });
    column([](const Row &row) { return row.port; });
    column([](const Row &row) { return std::optional<int>(row.number); });
    column([](const Row &row) { return QString(QLatin1String(row.passed ? "PASS" : "FAIL")); });
    for (const ParameterInfo &param : kParameters)
        column([&param](const Row &row) { return std::optional<int>(row.before.value(param.id)); });
    for (const ParameterInfo &param : kParameters)
        column([&param](const Row &row) {
            return row.after ? std::optional<int>(row.after->value(param.id)) : std::nullopt;
        });
    column([](const Row &row) { return row.label; });
    column([](const Row &row) { return row.recordedAt.toUTC().toString(Qt::ISODateWithMs); });
    column([](const Row &row) { return row.labelChecked; });
    column([](const Row &row) { return row.failedFields.join(QLatin1Char(' ')); });
}

// Sends rows [first, first + count) in one transaction, with the statement
// `insert` prepared on `db`; false with the database's reason.
bool sendBatch(QSqlDatabase &db, QSqlQuery &insert, const Waiting &waiting, int first, int count,
               QSqlError *error)
{
    if (!db.transaction()) {
        *error = db.lastError();
        return false;
    }
    bind(insert, waiting, first, count);
    bool sent = insert.exec();
    *error = insert.lastError();
    if (sent && !db.commit()) {
        sent = false;
        *error = db.lastError();
    }
    if (!sent)
        db.rollback();
    return sent;
}

// One pass: connects if need be, then sends what waits, batch by batch,
// keeping the place after each.
void pass(RecordSender::Work &work)
{
    work.pending = false;
    const int served = work.asked;
    work.retry->stop();
    const QString place = RecordSender::placeOf(work.journal);
    Waiting waiting = rowsAfter(work.journal, readPlace(place));
    QString problem;
    if (!work.connected)
        work.connected = RecordDatabase::open(work.connection, work.name, &problem);
    QSqlDatabase db = QSqlDatabase::database(work.name, false);
    QSqlQuery insert(db);
    if (work.connected && !waiting.rows.isEmpty() && !insert.prepare(insertStatement())) {
        problem = RecordDatabase::problemOf(insert.lastError(),
                                            RecordSender::tr("database %1: rows not sent")
                                                .arg(RecordDatabase::shown(work.connection)));
        db.close();
        work.connected = false;
    }
    int sent = 0;
    while (work.connected && sent < waiting.rows.size()) {
        // A batch holds rows of one run.
        int count = 1;
        while (count < RecordSender::kBatchRows && sent + count < waiting.rows.size() &&
               waiting.rows.at(sent + count).run.id == waiting.rows.at(sent).run.id &&
               waiting.rows.at(sent + count).run.station == waiting.rows.at(sent).run.station)
            ++count;
        QSqlError error;
        if (!sendBatch(db, insert, waiting, sent, count, &error)) {
            problem =
                RecordDatabase::problemOf(error, RecordSender::tr("database %1: rows not sent")
                                                     .arg(RecordDatabase::shown(work.connection)));
            // Whatever it was, a new connection is tried next time.
            db.close();
            work.connected = false;
            break;
        }
        sent += count;
        if (!writePlace(place, waiting.ends.at(sent - 1), &problem))
            break;
        work.tell(int(waiting.rows.size()) - sent, QString(), -1);
    }
    if (sent == waiting.rows.size() && problem.isEmpty()) {
        // Rows passed over at the end move the place on too.
        if (waiting.end > readPlace(place))
            writePlace(place, waiting.end, &problem);
    }
    work.tell(int(waiting.rows.size()) - sent, problem, served);
    if (!problem.isEmpty())
        work.retry->start(RecordSender::kRetryMs);
}

} // namespace

RecordSender::RecordSender(const QString &connection, const QString &journal, QObject *parent)
    : QObject(parent), m_thread(QStringLiteral("record sender"))
{
    m_work.connection = connection;
    m_work.journal = journal;
    m_work.name = QStringLiteral("nimbal-record-sender-%1").arg(quintptr(this));
    m_work.tell = [this](int waiting, const QString &problem, int served) {
        // Told on the owner's thread; dropped once the owner has gone.
        QMetaObject::invokeMethod(
            this,
            [this, waiting, problem, served] {
                tell(waiting, problem);
                if (served >= 0)
                    ended(served);
            },
            Qt::QueuedConnection);
    };
    m_thread.post([work = &m_work, context = m_thread.context()] {
        auto *retry = new QTimer(context);
        retry->setSingleShot(true);
        QObject::connect(retry, &QTimer::timeout, context, [work] { pass(*work); });
        work->retry = retry;
    });
}

RecordSender::~RecordSender()
{
    // Before the thread ends: nothing more is told, and the connection goes.
    m_thread.post([work = &m_work] {
        work->tell = [](int, const QString &, int) {
        };
        RecordDatabase::close(work->name);
    });
}

QString RecordSender::placeOf(const QString &journal)
{
    return journal + QStringLiteral(".sent");
}

void RecordSender::start()
{
    rowsAdded();
}

void RecordSender::rowsAdded()
{
    m_work.asked = ++m_asked;
    // One pass reads whatever has come by then.
    if (m_work.pending.exchange(true))
        return;
    m_thread.post([work = &m_work] { pass(*work); });
}

void RecordSender::ended(int served)
{
    m_served = qMax(m_served, served);
    emit passEnded();
}

void RecordSender::tell(int waiting, const QString &problem)
{
    m_waiting = waiting;
    m_problem = problem;
    emit statusChanged(waiting, problem);
}
