#include "start_timeline.h"

#include <QElapsedTimer>

namespace tessik {

Q_LOGGING_CATEGORY(startTimeline, "tessik.start", QtInfoMsg)

void markStart(const char* step)
{
    if (!startTimeline().isDebugEnabled())
        return;
    static const QElapsedTimer since = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    qCDebug(startTimeline, "%8.2f ms  %s", since.nsecsElapsed() / 1e6, step);
}

} // namespace tessik
