#pragma once

#include "mac_system_calls.h"

#include <chrono>
#include <memory>
#include <optional>

namespace tessik::platform {

// Turns the completion handler the system calls once, from a thread of its own, into an answer that a blocking
// caller waits for. The handler stays safe to call after the caller gave up waiting; only the first call counts.
class ConfirmationWait
{
public:
    ConfirmationWait();

    MacSystemCalls::Completion completion() const;
    // The system's answer (an empty chain for success), or nothing when none came within `timeout`.
    std::optional<MacErrorChain> wait(std::chrono::milliseconds timeout) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace tessik::platform
