#ifndef NIMBAL_RECORDSENDER_H
#define NIMBAL_RECORDSENDER_H

#include "thread/workthread.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class QTimer;

// Store and forward: the rows of a station's journal (its audit log, where
// each row is on the disk before its verdict is shown) sent to the line's
// database in order, in batches when several wait, on a thread of its own,
// so neither a slow server nor one that is away holds up the lanes.
//
// Each row arrives once: its key (station, run, number) makes an insert
// that meets a row already there do nothing, and the sender keeps its
// place in the journal in a small file beside it (placeOf()), replaced
// whole once a batch is in. Killed at any moment, it loses no row and
// sends none twice: it starts again from its place, and what it sent since
// meets its key. While the database is away the rows wait in the journal;
// it tries again every few seconds and whenever a row is added. Rows of
// logs from before the record (no station, no run) are passed over.
class RecordSender : public QObject
{
    Q_OBJECT

public:
    static constexpr int kBatchRows = 1000;
    static constexpr int kRetryMs = 3000;

    // Sends the rows of the journal at `journal` to the database
    // `connection` names (see RecordDatabase).
    RecordSender(const QString &connection, const QString &journal, QObject *parent = nullptr);
    // Ends its thread after the batch it is sending; what is not sent waits
    // in the journal for the next start.
    ~RecordSender() override;

    // The file beside `journal` that keeps the sender's place.
    static QString placeOf(const QString &journal);

    // Sends what waits: at the start, whatever earlier runs left unsent.
    void start();
    // The journal holds more rows.
    void rowsAdded();

    // As last told by statusChanged().
    int waiting() const { return m_waiting; }
    QString problem() const { return m_problem; }
    // Whether a pass has ended that began after the last start() or
    // rowsAdded(): what the journal held then has been sent, or met a
    // problem.
    bool isCaughtUp() const { return m_served >= m_asked; }

signals:
    // `waiting` rows are not in the database yet; `problem` says why they
    // could not go (empty: the last batch went).
    void statusChanged(int waiting, const QString &problem);
    // A pass over the journal has ended: every row sent, or a problem met.
    void passEnded();

public:
    // What its thread works with: touched on that thread alone, but for
    // `pending` and `asked`.
    struct Work
    {
        QString connection;
        QString journal;
        QString name; // of the database connection
        bool connected = false;
        QTimer *retry = nullptr;          // lives on the thread
        std::atomic<bool> pending{false}; // a pass is queued
        std::atomic<int> asked{0};        // passes asked for
        // Tells the owner how many rows wait and why; at a pass's end,
        // `served` is how many passes asked for it has served (else -1).
        std::function<void(int, const QString &, int)> tell;
    };

private:
    void tell(int waiting, const QString &problem);
    void ended(int served);

    Work m_work;
    WorkThread m_thread; // ends before m_work goes
    int m_waiting = 0;
    QString m_problem;
    int m_asked = 0;  // start() and rowsAdded() calls
    int m_served = 0; // of them, those a pass that has ended began after
};

#endif
