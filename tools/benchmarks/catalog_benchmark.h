#pragma once

namespace tessik::tools {

// Times suggestions plus the catalog build against the application scan that feeds them, on one synthetic
// machine, and reports the process's peak memory.
class CatalogBenchmark
{
public:
    struct Result
    {
        int apps = 0;
        int suggestions = 0;
        int associations = 0;
        double scanMs = 0;
        double suggestionsMs = 0;
        double buildMs = 0;
        long peakKilobytesAfterWriting = 0;
        long peakKilobytes = 0;
        double ratio() const { return scanMs > 0 ? (suggestionsMs + buildMs) / scanMs : 0; }
    };

    static Result run(int appCount, unsigned seed, int repetitions);
};

} // namespace tessik::tools
