#pragma once

#include <QString>

namespace tessik::tools {

// Times a full application scan against one plain read-and-parse of every Info.plist of the same machine.
class ScanBenchmark
{
public:
    struct Result
    {
        int bundles = 0;
        int apps = 0;
        double scanMs = 0;
        double baselineMs = 0;
        double ratio() const { return baselineMs > 0 ? scanMs / baselineMs : 0; }
    };

    // Writes a synthetic machine of `appCount` applications and measures `repetitions` rounds of each,
    // keeping the medians.
    static Result run(int appCount, quint32 seed, int repetitions);
};

} // namespace tessik::tools
