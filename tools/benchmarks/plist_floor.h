#pragma once

#include <QSemaphore>
#include <QStringList>
#include <QThreadPool>

namespace tessik::tools {

// The least any scan has to do: enumerate the application folders as the scanner does and parse every Info.plist
// with libplist, throwing the trees away. The floors return how many parsed.
class PlistFloor
{
public:
    static QStringList bundles();
    static bool parse(const QString& bundle);
    // On a thread of the pool, alone: the main thread's heap is left fragmented by writing the machine.
    static int serial(QThreadPool& pool);
    // Started on the pool and spread over it as the model's refresh task spreads its scan.
    static int onPool(QThreadPool& pool);

    struct Times
    {
        double serialMs = 0;
        double poolMs = 0;
    };
    // Warms the file cache, checks that every one of the bundles parses, then keeps the fastest of the rounds.
    // The floors are short; rounds taken in turns keep a busy moment from counting against one.
    static Times measure(QThreadPool& pool, int bundles, int rounds);

    // Runs the work on a thread of the pool and waits for it. Not through a future: waiting for one runs a task
    // that has not started yet on the waiting thread, and the pool would then lend its own thread as well.
    template <typename Work> static int runOn(QThreadPool& pool, Work work)
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
};

} // namespace tessik::tools
