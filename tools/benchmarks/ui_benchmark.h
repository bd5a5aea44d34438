#pragma once

namespace tessik::tools {

// Drives the real main window on a synthetic machine: the time from creating it to the first painted catalog
// against one raw parse of every Info.plist, the longest interface-thread stall during the first refresh and during
// an apply of 20 staged changes, the time from a keystroke in the format search to the repainted list, and the
// process's peak memory. Needs a QApplication.
class UiBenchmark
{
public:
    struct Result
    {
        int bundles = 0;
        int apps = 0;
        int types = 0;
        int threads = 0;
        double floorSerialMs = 0;
        double floorPoolMs = 0;
        // Each round starts a new window with nothing read yet: median and slowest.
        double startMs = 0;
        double slowestStartMs = 0;
        // The longest stall of each round: median and worst.
        double refreshStallMs = 0;
        double worstRefreshStallMs = 0;
        int staged = 0;
        double applyMs = 0;
        double applyStallMs = 0;
        double worstApplyStallMs = 0;
        // The longest the interface thread itself worked between two ticks while applying, each round.
        double applyStallWorkMs = 0;
        // The longest gap of the same watch with nothing to do for as long as an apply took, each round.
        double idleStallMs = 0;
        double worstApplyStallWorkMs = 0;
        int keystrokes = 0;
        double keystrokeMs = 0;
        double slowestKeystrokeMs = 0;
        long peakKilobytes = 0;
    };

    static Result run(int appCount, unsigned seed, int repetitions);
};

} // namespace tessik::tools
