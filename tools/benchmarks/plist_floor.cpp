#include "plist_floor.h"

#include "core/discovery/app_scanner.h"
#include "core/support/pool_work.h"
#include "platform/file_manager.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <limits>
#include <plist/plist.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tessik::tools {

QStringList PlistFloor::bundles()
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

bool PlistFloor::parse(const QString& bundle)
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

int PlistFloor::serial(QThreadPool& pool)
{
    return runOn(pool, [] {
        const QStringList found = bundles();
        return int(std::count_if(found.cbegin(), found.cend(), parse));
    });
}

int PlistFloor::onPool(QThreadPool& pool)
{
    return runOn(pool, [&pool] {
        const QStringList found = bundles();
        std::atomic<int> parsed = 0;
        runOnPool(&pool, found.size(), [&](qsizetype i) {
            if (parse(found[i]))
                ++parsed;
        });
        return parsed.load();
    });
}

PlistFloor::Times PlistFloor::measure(QThreadPool& pool, int bundles, int rounds)
{
    if (serial(pool) != bundles || onPool(pool) != bundles)
        throw std::runtime_error("the floor could not parse every Info.plist");
    const auto milliseconds = [&pool](int (*floor)(QThreadPool&)) {
        QElapsedTimer timer;
        timer.start();
        floor(pool);
        return timer.nsecsElapsed() / 1e6;
    };
    Times times{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    for (int round = 0; round < rounds; ++round) {
        times.serialMs = std::min(times.serialMs, milliseconds(serial));
        times.poolMs = std::min(times.poolMs, milliseconds(onPool));
    }
    return times;
}

} // namespace tessik::tools
