#ifndef NIMBAL_WAITUNTIL_H
#define NIMBAL_WAITUNTIL_H

#include <QEventLoop>
#include <QObject>

#include <functional>
#include <optional>

// For a command line that does one thing at a time: calls `start`, then
// runs a local event loop until `object` emits `done`, and returns what it
// told. A result told within `start` is taken too. The one nested event
// loop of the link; lanes and windows never call it.
template <typename Result, typename Object, typename Signal>
Result waitUntil(Object *object, Signal done, const std::function<void()> &start)
{
    QEventLoop loop;
    std::optional<Result> result;
    const QMetaObject::Connection connection =
        QObject::connect(object, done, &loop, [&](const Result &told) {
            result = told;
            loop.quit();
        });
    start();
    if (!result)
        loop.exec();
    QObject::disconnect(connection);
    return *result;
}

#endif
