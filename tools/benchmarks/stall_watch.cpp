#include "stall_watch.h"

#include <algorithm>

namespace tessik::tools {

StallWatch::StallWatch()
{
    m_ticker.setTimerType(Qt::PreciseTimer);
    m_ticker.setInterval(1);
    connect(&m_ticker, &QTimer::timeout, this, [this] {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_lastTick);
        m_lastTick = now;
    });
}

void StallWatch::start()
{
    m_lastTick = m_longest = 0;
    m_clock.start();
    m_ticker.start();
}

double StallWatch::stop()
{
    m_ticker.stop();
    m_longest = std::max(m_longest, m_clock.nsecsElapsed() - m_lastTick);
    return m_longest / 1e6;
}

} // namespace tessik::tools
