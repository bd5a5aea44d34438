#include "confirmation_wait.h"

#include <condition_variable>
#include <mutex>

namespace tessik::platform {

struct ConfirmationWait::State
{
    std::mutex mutex;
    std::condition_variable answered;
    std::optional<MacErrorChain> answer;
};

ConfirmationWait::ConfirmationWait() : m_state(std::make_shared<State>()) {}

MacSystemCalls::Completion ConfirmationWait::completion() const
{
    return [state = m_state](const MacErrorChain& error) {
        {
            std::lock_guard lock(state->mutex);
            if (state->answer)
                return;
            state->answer = error;
        }
        state->answered.notify_all();
    };
}

std::optional<MacErrorChain> ConfirmationWait::wait(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_state->mutex);
    m_state->answered.wait_for(lock, timeout, [this] { return m_state->answer.has_value(); });
    return m_state->answer;
}

} // namespace tessik::platform
