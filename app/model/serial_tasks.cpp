#include "serial_tasks.h"

#include <QFutureWatcher>

namespace tessik {

QFuture<void> SerialTasks::enqueue(Start start)
{
    auto done = std::make_shared<QPromise<void>>();
    done->start();
    QFuture<void> future = done->future();
    m_waiting.push_back({std::move(start), std::move(done)});
    if (!m_running)
        startNext();
    return future;
}

void SerialTasks::startNext()
{
    if (m_waiting.empty())
        return;
    Step step = std::move(m_waiting.front());
    m_waiting.pop_front();
    m_running = true;
    QFuture<void> running;
    try {
        running = step.start();
    } catch (...) {
        running = QtFuture::makeReadyFuture();
    }
    // A watcher hears of every ending: a value, an exception or a cancellation.
    auto* watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, done = step.done] {
        watcher->deleteLater();
        done->finish();
        m_running = false;
        startNext();
    });
    watcher->setFuture(running);
}

} // namespace tessik
