#include "stall_watch.h"

#include <QEventLoop>
#include <QFutureWatcher>

#include <algorithm>
#include <ctime>
#include <stdexcept>
#include <string>

namespace tessik::tools {
namespace {

// CPU time this thread has used, in nanoseconds.
qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

StallWatch::StallWatch()
{
    m_ticker.setTimerType(Qt::PreciseTimer);
    m_ticker.setInterval(1);
    connect(&m_ticker, &QTimer::timeout, this, [this] {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        m_longest = std::max(m_longest, now - m_lastTick);
        m_longestWork = std::max(m_longestWork, cpu - m_lastCpu);
        m_lastTick = now;
        m_lastCpu = cpu;
    });
}

void StallWatch::start()
{
    m_lastTick = m_longest = m_longestWork = 0;
    m_lastCpu = threadCpuNs();
    m_clock.start();
    m_ticker.start();
}

double StallWatch::stop()
{
    m_ticker.stop();
    m_longest = std::max(m_longest, m_clock.nsecsElapsed() - m_lastTick);
    m_longestWork = std::max(m_longestWork, threadCpuNs() - m_lastCpu);
    return m_longest / 1e6;
}

StallWatch::Timed StallWatch::untilFinished(const std::function<QFuture<void>()>& operation, const char* what)
{
    QEventLoop loop;
    StallWatch stalls;
    QFutureWatcher<void> watcher;
    QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, [&loop] { loop.exit(1); });
    QElapsedTimer clock;
    QTimer::singleShot(0, &loop, [&] {
        stalls.start();
        clock.start();
        watcher.setFuture(operation());
    });
    if (loop.exec() != 0)
        throw std::runtime_error(std::string("timed out waiting for ") + what);
    Timed timed;
    timed.ms = clock.nsecsElapsed() / 1e6;
    timed.longestStallMs = stalls.stop();
    timed.longestStallWorkMs = stalls.longestWorkMs();
    return timed;
}

} // namespace tessik::tools
