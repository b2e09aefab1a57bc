#ifndef NIMBAL_TESTS_EVENTPASSES_H
#define NIMBAL_TESTS_EVENTPASSES_H

#include <QCoreApplication>

// For proving that nothing more happens: a fixed number of passes of the
// event loop. Each pass polls every watched descriptor without blocking and
// handles what is ready, so a notifier left on a descriptor that is always
// readable (a hung-up terminal, a vanished device) is activated once a pass
// and its count grows with the passes. No pass waits, so a busy machine
// changes only how long they take, not what they see.
namespace EventPasses {

inline constexpr int kIdlePasses = 200;

inline void run(int passes = kIdlePasses)
{
    for (int i = 0; i < passes; ++i)
        QCoreApplication::processEvents();
}

} // namespace EventPasses

#endif
