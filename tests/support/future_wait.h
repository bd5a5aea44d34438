#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFuture>

namespace tessik::testing {

// Runs the event loop until the future has finished (continuations bound to objects on this thread need it),
// or the deadline passes. Never sleeps: it waits for events.
template <typename T> bool finish(const QFuture<T>& future, int milliseconds = 20000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!future.isFinished() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return future.isFinished();
}

template <typename Condition> bool eventually(Condition condition, int milliseconds = 20000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return condition();
}

} // namespace tessik::testing
