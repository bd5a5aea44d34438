#pragma once

namespace tessik::tools {

// Times the application scan and a whole refresh of the application model against a floor that only reads and
// parses every Info.plist, on one thread and on a pool as large as the model's, and watches how long the
// interface thread stalls during the refresh.
class RefreshBenchmark
{
public:
    struct Timing
    {
        double scanMs = 0;
        double refreshMs = 0;
        double longestStallMs = 0;
    };

    struct Result
    {
        int threads = 0;
        int bundles = 0;
        int apps = 0;
        int associations = 0;
        double floorSerialMs = 0;
        double floorPoolMs = 0;
        // The first refresh of the process, and the best of the later ones, when the platform kept what it read.
        Timing cold;
        Timing warm;
        // The first refresh of a process that finds no bundle cache file either.
        Timing coldWithoutCache;
        // The same timer's longest gap over as long a time with nothing running.
        double idleStallMs = 0;
        long peakKilobytes = 0;
    };

    static Result run(int appCount, unsigned seed, int repetitions);
};

} // namespace tessik::tools
