#include "sleeper.h"

#include <condition_variable>
#include <mutex>

namespace tessik {

void MonotonicSleeper::sleep(std::chrono::nanoseconds duration, std::stop_token stop)
{
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    // condition_variable_any measures the timeout on the steady clock and wakes when stop is requested.
    wakeUp.wait_for(lock, stop, duration, [] { return false; });
    if (stop.stop_requested())
        throw CancellationError();
}

} // namespace tessik
