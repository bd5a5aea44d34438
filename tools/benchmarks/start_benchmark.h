#pragma once

#include <QString>

#include <vector>

namespace tessik::tools {

// Times whole processes, from starting them until they have exited, against a floor process that only enumerates
// the application folders and parses every Info.plist: the desktop program's screenshot on a synthetic machine and on
// one without applications, and the command line's `apps --json` and `formats --json`. Each program's run is paired
// with a floor run just before it, so a busy moment of the machine weighs on both.
class StartBenchmark
{
public:
    struct Row
    {
        QString label;
        // Medians over the rounds: of the program's times and of its ratios to the paired floor.
        double ms = 0;
        double ratio = 0;
        // The most the ratio should be; 0 when the row only tells what something costs.
        double goal = 0;
    };

    struct Result
    {
        int bundles = 0;
        int threads = 0;
        double floorSerialMs = 0;
        double floorParallelMs = 0;
        std::vector<Row> rows;
    };

    static Result run(int appCount, unsigned seed, int rounds);
};

} // namespace tessik::tools
