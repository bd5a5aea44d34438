// tessik-floor: the least a program that lists the applications has to do, as a process of its own: enumerate the
// application folders and parse every Info.plist with libplist, on one thread or on every core.
#include "core/support/pool_work.h"
#include "platform/system_root.h"
#include "plist_floor.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    // No application object: the floor pays for nothing it does not need.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const qsizetype root = arguments.indexOf(u"--system-root"_s);
    if (root < 0 || root + 1 >= arguments.size()) {
        std::fputs("usage: tessik-floor --system-root DIR [--parallel]\n", stderr);
        return 2;
    }
    tessik::platform::setSystemRoot(arguments.at(root + 1));
    const QStringList bundles = tessik::tools::PlistFloor::bundles();
    std::atomic<int> parsed = 0;
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    tessik::runOnPool(arguments.contains(u"--parallel"_s) ? &pool : nullptr, bundles.size(), [&](qsizetype i) {
        if (tessik::tools::PlistFloor::parse(bundles[i]))
            ++parsed;
    });
    std::printf("%d\n", parsed.load());
    return parsed == bundles.size() ? 0 : 1;
}
