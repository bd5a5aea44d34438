#include "refresh_benchmark.h"

#include "app/model/app_model.h"
#include "app/update/format_catalog_updater.h"
#include "core/discovery/app_scanner.h"
#include "peak_memory.h"
#include "platform/backend.h"
#include "platform/emulated/application_registry.h"
#include "platform/emulated/bundle_cache.h"
#include "platform/system_root.h"
#include "plist_floor.h"
#include "stall_watch.h"
#include "systemwriter/synthetic_system.h"
#include "systemwriter/system_root_writer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

// The scan as the model's refresh task runs it.
int scanOnPool(QThreadPool& pool)
{
    return PlistFloor::runOn(pool, [&pool] { return int(AppScanner().scan(&pool).size()); });
}

template <typename Work> double best(int repetitions, Work work)
{
    double fastest = std::numeric_limits<double>::max();
    for (int round = 0; round < repetitions; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        fastest = std::min(fastest, timer.nsecsElapsed() / 1e6);
    }
    return fastest;
}

using Refreshed = StallWatch::Timed;

// One refresh from the call until the model has assigned its results.
Refreshed timeRefresh(AppModel& model)
{
    const Refreshed refreshed = StallWatch::untilFinished([&model] { return model.refresh(); }, "the refresh");
    if (model.associations().isEmpty() || model.busy())
        throw std::runtime_error("the refresh found no catalog");
    return refreshed;
}

// The longest gap between the ticks of a 1 ms timer with nothing else to do: how much of a stall the machine
// itself adds.
double idleStallMs(int milliseconds)
{
    QEventLoop loop;
    StallWatch stalls;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    stalls.start();
    loop.exec();
    return stalls.stop();
}

// The fastest refresh, and the median of the longest stalls: a stall is one gap, easily lengthened by another
// process taking the core for a moment.
void summarize(std::vector<Refreshed> rounds, RefreshBenchmark::Timing& timing)
{
    std::sort(rounds.begin(), rounds.end(), [](const Refreshed& a, const Refreshed& b) { return a.ms < b.ms; });
    timing.refreshMs = rounds.front().ms;
    std::sort(rounds.begin(), rounds.end(),
              [](const Refreshed& a, const Refreshed& b) { return a.longestStallMs < b.longestStallMs; });
    timing.longestStallMs = rounds[rounds.size() / 2].longestStallMs;
}

// As a new process finds it: nothing read yet but, unless it is thrown away, the bundle cache file.
void forgetWhatWasRead(bool cacheFileToo)
{
    if (cacheFileToo)
        QFile::remove(platform::Backend::current().bundleCacheFile());
    platform::clearBundleCache();
    platform::ApplicationRegistry::shared().invalidate();
}

} // namespace

RefreshBenchmark::Result RefreshBenchmark::run(int appCount, unsigned seed, int repetitions)
{
    QTemporaryDir root;
    if (!root.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    const auto summary = SyntheticSystem::write(root.path(), appCount, seed);
    // Installed long before, as applications are, so that the bundle cache file serves as on a user's machine.
    SystemRootWriter::backdate(root.path());
    platform::setSystemRoot(root.path());

    Result result;
    result.bundles = summary.bundles;
    // As large as the model's refresh pool.
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    result.threads = pool.maxThreadCount();

    const PlistFloor::Times floor = PlistFloor::measure(pool, summary.bundles, 3 * repetitions);
    result.floorSerialMs = floor.serialMs;
    result.floorPoolMs = floor.poolMs;

    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    result.cold.scanMs = std::numeric_limits<double>::max();
    for (int round = 0; round < repetitions; ++round) {
        platform::clearBundleCache();
        result.cold.scanMs = std::min(result.cold.scanMs, best(1, [&pool] { scanOnPool(pool); }));
    }
    for (const bool withoutCache : {true, false}) {
        std::vector<Refreshed> cold;
        for (int round = 0; round < repetitions; ++round) {
            forgetWhatWasRead(withoutCache);
            AppModel model(&updater);
            cold.push_back(timeRefresh(model));
        }
        summarize(cold, withoutCache ? result.coldWithoutCache : result.cold);
    }

    result.warm.scanMs = best(repetitions, [&] { result.apps = scanOnPool(pool); });
    AppModel model(&updater);
    timeRefresh(model);
    std::vector<Refreshed> warm;
    for (int round = 0; round < repetitions; ++round) {
        // The registry looks at the disk again at most once a second; a user's next refresh comes later than that.
        QThread::msleep(1100);
        warm.push_back(timeRefresh(model));
    }
    summarize(warm, result.warm);
    result.idleStallMs = idleStallMs(int(result.warm.refreshMs) + 1);
    result.associations = int(model.associations().size());
    result.peakKilobytes = peakResidentKilobytes();
    platform::setSystemRoot({});
    return result;
}

} // namespace tessik::tools
