#ifndef NIMBAL_WORKTHREAD_H
#define NIMBAL_WORKTHREAD_H

#include <QObject>
#include <QString>

#include <utility>

class QThread;

// A thread of its own for work that must not hold up the thread that asks
// for it (a log synced to a slow disk, a database far away): work posted
// runs there one piece after another, in order. Destroyed, it runs what
// was posted before it ends the thread, and waits for that.
class WorkThread
{
public:
    explicit WorkThread(const QString &name);
    ~WorkThread();
    WorkThread(const WorkThread &) = delete;
    WorkThread &operator=(const WorkThread &) = delete;

    // Runs `work` on the thread, after what was posted before.
    template <typename Work> void post(Work &&work)
    {
        QMetaObject::invokeMethod(m_context, std::forward<Work>(work), Qt::QueuedConnection);
    }
    // The object that lives on the thread: a parent for its timers.
    QObject *context() const { return m_context; }

private:
    QThread *m_thread;
    QObject *m_context;
};

#endif
