// Answers that came in time while the event loop was late: the loop stalls
// for 300 ms (a busy window, a log synced to a slow disk) right after the
// simulated servo has answered, three times the client's 100 ms timeout,
// and the client reads again and again. The figure is how many answers
// were taken; the target is every one. The event dispatcher is named, as
// whether a late loop meets the timeout before the answer depends on it
// (QT_NO_GLIB=1 picks Qt's own).
//
// usage: nimbal-bench-stall [READS]   (default 20)

#include "servo/servoclient.h"
#include "servosimulator.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTextStream>
#include <QThread>

#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int reads = argc > 1 ? qMax(1, std::atoi(argv[1])) : 20;
    ServoSimulator servo;
    QObject::connect(&servo, &ServoSimulator::answerSent, &servo, [] { QThread::msleep(300); });
    ServoClient client;
    client.setTimeout(100);
    client.setRetries(0);
    if (!client.open(servo.slavePath())) {
        out << "error: " << client.errorString() << Qt::endl;
        return 1;
    }
    int taken = 0;
    for (int i = 0; i < reads; ++i)
        taken += client.read().outcome == ServoClient::Outcome::Answered ? 1 : 0;
    out << "stall_dispatcher: "
        << QAbstractEventDispatcher::instance()->metaObject()->className() << '\n';
    out << "stall_answers_taken: " << taken << " of " << reads << " (target: every one)"
        << Qt::endl;
    return 0;
}
