#include "pool_work.h"

#include <QMutex>
#include <QSemaphore>

#include <atomic>
#include <exception>

namespace tessik {

void runOnPool(QThreadPool* pool, qsizetype count, const std::function<void(qsizetype)>& work)
{
    std::atomic<qsizetype> next = 0;
    QMutex failureMutex;
    std::exception_ptr failure;
    const auto drain = [&] {
        try {
            for (qsizetype i = next++; i < count; i = next++)
                work(i);
        } catch (...) {
            next = count;
            const QMutexLocker locker(&failureMutex);
            if (!failure)
                failure = std::current_exception();
        }
    };

    QSemaphore finished;
    int helpers = 0;
    // Items are handed out one at a time, so a helper that starts late simply finds less to do.
    while (pool && helpers + 1 < count && helpers < pool->maxThreadCount() && pool->tryStart([&] {
        drain();
        finished.release();
    }))
        ++helpers;
    drain();
    finished.acquire(helpers);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace tessik
