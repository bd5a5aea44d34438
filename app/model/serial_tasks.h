#pragma once

#include <QFuture>
#include <QObject>
#include <QPromise>

#include <deque>
#include <functional>
#include <memory>

namespace tessik {

// Starts asynchronous steps one at a time on the interface thread, in the order they were asked for. A step
// starts only when the one before it has ended, however it ended, so it reads the state that step left.
class SerialTasks : public QObject
{
    Q_OBJECT

public:
    using Start = std::function<QFuture<void>()>;

    explicit SerialTasks(QObject* parent = nullptr) : QObject(parent) {}

    // The future ends when the step has ended. An idle queue starts the step at once.
    QFuture<void> enqueue(Start start);
    bool idle() const { return !m_running && m_waiting.empty(); }

private:
    struct Step
    {
        Start start;
        std::shared_ptr<QPromise<void>> done;
    };

    void startNext();

    std::deque<Step> m_waiting;
    bool m_running = false;
};

} // namespace tessik
