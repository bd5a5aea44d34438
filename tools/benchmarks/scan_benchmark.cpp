#include "scan_benchmark.h"

#include "core/discovery/app_scanner.h"
#include "median.h"
#include "platform/emulated/bundle_cache.h"
#include "platform/emulated/property_list.h"
#include "platform/system_root.h"
#include "systemwriter/synthetic_system.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace tessik::tools {
ScanBenchmark::Result ScanBenchmark::run(int appCount, quint32 seed, int repetitions)
{
    QTemporaryDir root;
    if (!root.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    const auto summary = SyntheticSystem::write(root.path(), appCount, seed);
    platform::setSystemRoot(root.path());

    QStringList infoPlists;
    QDirIterator it(root.path(), {u"Info.plist"_s}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        infoPlists.append(it.next());

    Result result;
    result.bundles = summary.bundles;
    std::vector<double> scans, baselines;
    int parsed = 0;
    for (int round = 0; round < repetitions; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (const QString& path : infoPlists) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly) && platform::PropertyList::read(file.readAll()))
                ++parsed;
        }
        baselines.push_back(timer.nsecsElapsed() / 1e6);

        platform::clearBundleCache();
        timer.start();
        result.apps = int(AppScanner().scan().size());
        scans.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (parsed != int(infoPlists.size()) * repetitions)
        throw std::runtime_error("the baseline could not parse every Info.plist");
    result.scanMs = median(scans);
    result.baselineMs = median(baselines);
    platform::setSystemRoot({});
    return result;
}

} // namespace tessik::tools
