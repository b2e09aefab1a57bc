#ifndef NIMBAL_LINELABELS_H
#define NIMBAL_LINELABELS_H

#include "files/labelcheck.h"
#include "thread/workthread.h"

#include <QObject>
#include <QString>

// Whether a scanned label has passed on any station of the line, asked of
// the line's database on a thread and a connection of its own, so that a
// sender busy with a batch, or a server that is away, never holds the
// answer up: it comes within the timeout, Unknown when the database has
// not answered by then.
class LineLabels : public QObject
{
    Q_OBJECT

public:
    LineLabels(const QString &connection, int timeoutMs, QObject *parent = nullptr);
    ~LineLabels() override;

    // The question as the production loop asks it (LaneGroup::setLineCheck);
    // once this object has gone, the answer is Unknown at once.
    LabelCheck::Ask ask();

    // The checking thread's connection; touched on that thread alone.
    struct Work
    {
        QString connection;
        QString name;
        bool connected = false;
    };

private:
    void check(const QString &label, const LabelCheck::Reply &reply);

    int m_timeoutMs;
    Work m_work;
    WorkThread m_thread; // ends before m_work goes
};

#endif
