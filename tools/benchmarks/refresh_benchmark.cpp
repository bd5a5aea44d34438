#include "refresh_benchmark.h"

#include "app/model/app_model.h"
#include "app/update/format_catalog_updater.h"
#include "core/discovery/app_scanner.h"
#include "core/support/pool_work.h"
#include "platform/emulated/application_registry.h"
#include "platform/emulated/bundle_cache.h"
#include "platform/file_manager.h"
#include "platform/system_root.h"
#include "systemwriter/synthetic_system.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <limits>
#include <plist/plist.h>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

// The bundles under the application folders, found as the scanner finds them.
QStringList enumerateBundles()
{
    QStringList bundles;
    for (const QUrl& root : AppScanner::defaultApplicationDirectories()) {
        auto enumerator =
            platform::FileManager::enumerator(root, platform::DirectoryEnumerator::SkipsHiddenFiles |
                                                        platform::DirectoryEnumerator::SkipsPackageDescendants);
        while (const auto item = enumerator ? enumerator->nextObject() : std::nullopt)
            if (item->path().endsWith(u".app"_s))
                bundles.append(item->toLocalFile());
    }
    return bundles;
}

// Reads and parses one Info.plist and throws the tree away: the least any scan has to do.
bool parseInfo(const QString& bundle)
{
    QFile file(bundle + u"/Contents/Info.plist"_s);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    plist_free(root);
    return root != nullptr;
}

// Runs the work on a thread of the pool and waits for it. Not through a future: waiting for one runs a task that
// has not started yet on the waiting thread, and the pool would then lend its own thread as well.
template <typename Work> int onPool(QThreadPool& pool, Work work)
{
    int value = 0;
    QSemaphore done;
    pool.start([&] {
        value = work();
        done.release();
    });
    done.acquire();
    return value;
}

// On a thread of the pool, alone: the main thread's heap is left fragmented by writing the machine.
int floorSerial(QThreadPool& pool)
{
    return onPool(pool, [] {
        const QStringList bundles = enumerateBundles();
        return int(std::count_if(bundles.cbegin(), bundles.cend(), parseInfo));
    });
}

// Started on the pool and spread over it as the model's refresh task spreads its scan.
int floorOnPool(QThreadPool& pool)
{
    return onPool(pool, [&pool] {
        const QStringList bundles = enumerateBundles();
        std::atomic<int> parsed = 0;
        runOnPool(&pool, bundles.size(), [&](qsizetype i) {
            if (parseInfo(bundles[i]))
                ++parsed;
        });
        return parsed.load();
    });
}

// The scan as the model's refresh task runs it.
int scanOnPool(QThreadPool& pool)
{
    return onPool(pool, [&pool] { return int(AppScanner().scan(&pool).size()); });
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

long peakKilobytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    return 0;
}

struct Refreshed
{
    double ms = 0;
    double longestStallMs = 0;
};

// One refresh from the call until the model has assigned its results, with a 1 ms timer on this thread
// recording the longest wait between its ticks.
Refreshed timeRefresh(AppModel& model)
{
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 lastTick = 0, longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
    });
    QFutureWatcher<void> watcher;
    QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    Refreshed refreshed;
    QElapsedTimer timer;
    QTimer::singleShot(0, &loop, [&] {
        clock.start();
        ticker.start();
        timer.start();
        watcher.setFuture(model.refresh());
    });
    loop.exec();
    refreshed.ms = timer.nsecsElapsed() / 1e6;
    longest = std::max(longest, clock.nsecsElapsed() - lastTick);
    refreshed.longestStallMs = longest / 1e6;
    if (model.associations().isEmpty() || model.busy())
        throw std::runtime_error("the refresh found no catalog");
    return refreshed;
}

// The longest gap between the ticks of a 1 ms timer with nothing else to do: how much of a stall the machine
// itself adds.
double idleStallMs(int milliseconds)
{
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 lastTick = 0, longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
    });
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    clock.start();
    ticker.start();
    loop.exec();
    return longest / 1e6;
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

void forgetWhatWasRead()
{
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
    platform::setSystemRoot(root.path());

    Result result;
    result.bundles = summary.bundles;
    // As large as the model's refresh pool.
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    result.threads = pool.maxThreadCount();

    // Warms the file cache.
    if (floorSerial(pool) != summary.bundles || floorOnPool(pool) != summary.bundles)
        throw std::runtime_error("the floor could not parse every Info.plist");
    // The floors are short; more rounds of them, taken in turns, keep a busy moment from counting against one.
    result.floorSerialMs = result.floorPoolMs = std::numeric_limits<double>::max();
    for (int round = 0; round < 3 * repetitions; ++round) {
        result.floorSerialMs = std::min(result.floorSerialMs, best(1, [&pool] { floorSerial(pool); }));
        result.floorPoolMs = std::min(result.floorPoolMs, best(1, [&pool] { floorOnPool(pool); }));
    }

    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    result.cold.scanMs = std::numeric_limits<double>::max();
    for (int round = 0; round < repetitions; ++round) {
        platform::clearBundleCache();
        result.cold.scanMs = std::min(result.cold.scanMs, best(1, [&pool] { scanOnPool(pool); }));
    }
    std::vector<Refreshed> cold;
    for (int round = 0; round < repetitions; ++round) {
        forgetWhatWasRead();
        AppModel model(&updater);
        cold.push_back(timeRefresh(model));
    }
    summarize(cold, result.cold);

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
    result.peakKilobytes = peakKilobytes();
    platform::setSystemRoot({});
    return result;
}

} // namespace tessik::tools
