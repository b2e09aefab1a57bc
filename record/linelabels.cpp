#include "linelabels.h"

#include "recorddatabase.h"

#include <QPointer>
#include <QSqlQuery>
#include <QTimer>

using Answer = LabelCheck::Answer;

namespace {

// Asks the database, on the checking thread.
Answer asked(LineLabels::Work &work, const QString &label)
{
    QString problem;
    if (!work.connected)
        work.connected = RecordDatabase::open(work.connection, work.name, &problem);
    if (!work.connected)
        return {Answer::Kind::Unknown, QString(), problem};
    QSqlQuery query(QSqlDatabase::database(work.name, false));
    query.prepare(QStringLiteral("SELECT \"station\" FROM servo_records WHERE \"label\" = ? AND "
                                 "\"result\" = 'PASS' ORDER BY \"recorded_at\" LIMIT 1"));
    query.addBindValue(label);
    if (!query.exec()) {
        // A new connection is tried for the next label.
        QSqlDatabase::database(work.name, false).close();
        work.connected = false;
        return {Answer::Kind::Unknown, QString(),
                RecordDatabase::problemOf(query.lastError(),
                                          LineLabels::tr("database %1: labels not checked")
                                              .arg(RecordDatabase::shown(work.connection)))};
    }
    if (query.next())
        return {Answer::Kind::Passed, query.value(0).toString(), QString()};
    return {Answer::Kind::Free, QString(), QString()};
}

} // namespace

LineLabels::LineLabels(const QString &connection, int timeoutMs, QObject *parent)
    : QObject(parent), m_timeoutMs(timeoutMs), m_thread(QStringLiteral("line labels"))
{
    m_work.connection = connection;
    m_work.name = QStringLiteral("nimbal-line-labels-%1").arg(quintptr(this));
}

LineLabels::~LineLabels()
{
    // Before the thread ends.
    m_thread.post([work = &m_work] { RecordDatabase::close(work->name); });
}

LabelCheck::Ask LineLabels::ask()
{
    const QPointer<LineLabels> self(this);
    return [self](const QString &label, const LabelCheck::Reply &reply) {
        if (self)
            self->check(label, reply);
        else
            reply({Answer::Kind::Unknown, QString(), tr("the line's database is not asked")});
    };
}

void LineLabels::check(const QString &label, const LabelCheck::Reply &reply)
{
    // The first of the database's answer and the timeout is the answer;
    // both come on this thread.
    const auto answered = std::make_shared<bool>(false);
    const auto once = [answered, reply](const Answer &answer) {
        if (!std::exchange(*answered, true))
            reply(answer);
    };
    QTimer::singleShot(m_timeoutMs, this, [once, ms = m_timeoutMs] {
        once({Answer::Kind::Unknown, QString(),
              tr("the line's database did not answer within %1 ms").arg(ms)});
    });
    m_thread.post([this, work = &m_work, label, once] {
        const Answer answer = asked(*work, label);
        QMetaObject::invokeMethod(
            this, [once, answer] { once(answer); }, Qt::QueuedConnection);
    });
}
