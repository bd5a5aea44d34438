#pragma once

#include <QFuture>
#include <QtConcurrent/QtConcurrentRun>
#include <QThreadPool>

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace tessik {

// What a background task came to: its value, or what it threw. Continuations receive it as a plain value, so an
// error never arrives wrapped in QUnhandledException.
template <typename T> struct Attempt
{
    std::optional<T> value;
    std::exception_ptr error;
};

// Runs `task` on the pool and catches whatever it throws into the attempt.
template <typename Task> auto runAttempt(QThreadPool* pool, Task task)
{
    using Result = std::invoke_result_t<Task>;
    return QtConcurrent::run(pool, [task = std::move(task)]() mutable {
        Attempt<Result> attempt;
        try {
            attempt.value.emplace(task());
        } catch (...) {
            attempt.error = std::current_exception();
        }
        return attempt;
    });
}

} // namespace tessik
