#include "core/support/pool_work.h"

#include <QSemaphore>

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

using namespace tessik;

TEST(PoolWork, DoesEveryItemOnceEvenFromATaskOfAFullPool)
{
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    std::vector<std::atomic<int>> visits(500);
    QSemaphore done;
    // The only thread of the pool asks the pool for help: it must do the work itself, not wait for a queued task.
    pool.start([&] {
        runOnPool(&pool, qsizetype(visits.size()), [&](qsizetype i) { ++visits[size_t(i)]; });
        done.release();
    });
    ASSERT_TRUE(done.tryAcquire(1, 20000)) << "waited for its own pool";
    for (const auto& count : visits)
        EXPECT_EQ(count, 1);

    pool.setMaxThreadCount(3);
    // Far more items than other threads can finish while the failing one unwinds, however it is scheduled.
    constexpr qsizetype many = 10'000'000;
    std::atomic<qsizetype> calls = 0;
    EXPECT_THROW(runOnPool(&pool, many,
                           [&](qsizetype i) {
                               ++calls;
                               if (i == 10)
                                   throw std::runtime_error("unreadable");
                           }),
                 std::runtime_error);
    EXPECT_LT(calls, many) << "work stops at the first failure";
    runOnPool(nullptr, 3, [&](qsizetype) { ++calls; });
}
