#pragma once

#include <QThreadPool>

#include <functional>

namespace tessik {

// Calls `work` once for every index below `count`, on the calling thread and on those of the pool's threads that
// are idle. It never waits for a task still queued on the pool, so a task running on a full pool may call it too
// (QtConcurrent's blocking map would wait there for ever). Rethrows the first exception `work` threw, after every
// helper has finished. Without a pool the calling thread does everything.
void runOnPool(QThreadPool* pool, qsizetype count, const std::function<void(qsizetype)>& work);

} // namespace tessik
