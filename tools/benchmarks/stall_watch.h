#pragma once

#include <QElapsedTimer>
#include <QFuture>
#include <QObject>
#include <QTimer>

#include <functional>

namespace tessik::tools {

// A 1 ms timer on the calling thread that records the longest wait between its ticks: how long that thread's
// event loop was held up.
class StallWatch : public QObject
{
public:
    StallWatch();

    void start();
    // The longest gap since start, up to now, in milliseconds.
    double stop();
    // The most CPU time the thread itself used between two ticks: what held its loop up, without the time it waited
    // for a core, which on a busy shared machine is most of a long gap.
    double longestWorkMs() const { return m_longestWork / 1e6; }

    struct Timed
    {
        double ms = 0;
        double longestStallMs = 0;
        double longestStallWorkMs = 0;
    };
    // Starts an operation from this thread's event loop and runs the loop until its future has finished, watching
    // for stalls meanwhile. Throws std::runtime_error naming `what` after two minutes.
    static Timed untilFinished(const std::function<QFuture<void>()>& operation, const char* what);

private:
    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
    qint64 m_longest = 0;
    qint64 m_lastCpu = 0;
    qint64 m_longestWork = 0;
};

} // namespace tessik::tools
