#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

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

private:
    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
    qint64 m_longest = 0;
};

} // namespace tessik::tools
