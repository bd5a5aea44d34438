#pragma once

#include <chrono>
#include <stdexcept>
#include <stop_token>

namespace tessik {

// A wait that ended because its task was cancelled.
class CancellationError : public std::runtime_error
{
public:
    CancellationError() : std::runtime_error("The operation was cancelled.") {}
};

// Waits between checks. Tests inject one that only records, so nothing ever waits for real.
class Sleeper
{
public:
    virtual ~Sleeper() = default;
    // Throws CancellationError when stop is requested before or during the wait.
    virtual void sleep(std::chrono::nanoseconds duration, std::stop_token stop) = 0;
};

// Waits on the monotonic clock and wakes at once on cancellation.
class MonotonicSleeper : public Sleeper
{
public:
    void sleep(std::chrono::nanoseconds duration, std::stop_token stop) override;
};

} // namespace tessik
