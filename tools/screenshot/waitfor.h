#ifndef NIMBAL_WAITFOR_H
#define NIMBAL_WAITFOR_H

#include <QApplication>
#include <QElapsedTimer>

#include <functional>

// Runs the event loop until `done` holds or `timeoutMs` passes; whether it
// holds.
inline bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

#endif
