#ifndef NIMBAL_TERMINATIONWATCH_H
#define NIMBAL_TERMINATIONWATCH_H

#include <QObject>

class QSocketNotifier;
class QTimer;

// SIGINT and SIGTERM as a signal of the event loop, so that a production
// run ends as a person ending it would: the servos being set up are
// finished first. The handler only marks the request; the event loop
// tells it. One watch at a time; while none is, the signals do what they
// do by default.
class TerminationWatch : public QObject
{
    Q_OBJECT

public:
    explicit TerminationWatch(QObject *parent = nullptr);
    ~TerminationWatch() override;

signals:
    void requested();

private:
    QSocketNotifier *m_notifier = nullptr; // POSIX: woken through a socket pair
    QTimer *m_poll = nullptr;              // elsewhere: the mark looked at
};

#endif
