// Benchmarks of Tessik's real pipeline on synthetic machines, reported against a baseline of the same run.
#include "catalog_benchmark.h"
#include "refresh_benchmark.h"
#include "scan_benchmark.h"
#include "set_benchmark.h"
#include "start_benchmark.h"
#include "ui_benchmark.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Only the interface benchmark needs a window system; without a display it draws offscreen.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char* argv[], bool widgets)
{
    if (!widgets)
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

void printSetCounts(const tessik::tools::SetBenchmark::Result& result)
{
    using Counts = tessik::tools::SetBenchmark::Counts;
    const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    const auto print = [&](const char* what, const char* files, const Counts& counts) {
        const qint64 needed = counts.filesPerLookup * counts.batches;
        std::printf("  %s: %d change(s) in %.1f ms\n", what, counts.changes, counts.ms);
        std::printf("    application scans    %8lld (goal: at most 1, %s)\n", static_cast<long long>(counts.scans),
                    verdict(counts.scans <= 1));
        std::printf("    %-20s %8lld looks, %lld reads; %.2fx once per file per lookup (%lld file(s), %lld "
                    "lookup(s)) (goal: at most 1x, %s)\n",
                    files, static_cast<long long>(counts.looks), static_cast<long long>(counts.reads),
                    needed > 0 ? double(counts.looks) / needed : 0, static_cast<long long>(counts.filesPerLookup),
                    static_cast<long long>(counts.batches), verdict(counts.looks <= needed));
    };
    std::printf("set: one tessik-cli set, counted in this process\n");
    print("demo machine, set md com.microsoft.VSCode", "handler database", result.mac);
    print("Linux demo desktop, set md org.gnome.TextEditor.desktop", "list files", result.desktop);
}

void printStart(const tessik::tools::StartBenchmark::Result& result, int rounds)
{
    std::printf("start: whole processes on %d bundles, median of %d rounds, each against a parallel floor run just "
                "before it (%d cores)\n",
                result.bundles, rounds, result.threads);
    std::printf("  floor, one thread                          %8.2f ms\n", result.floorSerialMs);
    std::printf("  floor, parallel                            %8.2f ms\n", result.floorParallelMs);
    for (const auto& row : result.rows) {
        std::printf("  %-42s %8.2f ms  %5.2fx floor", qPrintable(row.label), row.ms, row.ratio);
        if (row.goal > 0)
            std::printf(" (goal: at most %gx, %s)\n", row.goal, row.ratio <= row.goal ? "met" : "MISSED");
        else
            std::printf("\n");
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Benchmarks: scan, catalog, refresh, ui, start, set (all when none is named)."_s);
    parser.addHelpOption();
    const QCommandLineOption apps(u"apps"_s, u"Applications in the synthetic system (default 1000)."_s, u"n"_s,
                                  u"1000"_s);
    const QCommandLineOption seed(u"seed"_s, u"Seed of the synthetic system (default 1)."_s, u"s"_s, u"1"_s);
    const QCommandLineOption repeat(u"repeat"_s, u"Rounds to take the median of (default 7)."_s, u"n"_s, u"7"_s);
    parser.addOptions({apps, seed, repeat});
    parser.addPositionalArgument(u"benchmark"_s, u"scan, catalog, refresh, ui, start or set"_s);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // A first look, before there is an application to report errors; process() reports them.
    parser.parse(arguments);
    const bool widgets = parser.positionalArguments().isEmpty() || parser.positionalArguments().contains(u"ui"_s);
    const auto application = makeApplication(argc, argv, widgets);
    parser.process(*application);

    const QStringList names = parser.positionalArguments();
    const int count = parser.value(apps).toInt();
    const unsigned seedValue = parser.value(seed).toUInt();
    const int rounds = std::max(1, parser.value(repeat).toInt());
    try {
        if (names.isEmpty() || names.contains(u"scan"_s)) {
            const auto result = tessik::tools::ScanBenchmark::run(count, seedValue, rounds);
            std::printf("scan: %d bundles, %d applications\n", result.bundles, result.apps);
            std::printf("  full scan              %8.2f ms (median of %d)\n", result.scanMs, rounds);
            std::printf("  read+parse Info.plist  %8.2f ms (median of %d)\n", result.baselineMs, rounds);
            std::printf("  ratio                  %8.2fx (aim: at most 1.5x)\n", result.ratio());
        }
        if (names.isEmpty() || names.contains(u"catalog"_s)) {
            const auto result = tessik::tools::CatalogBenchmark::run(count, seedValue, rounds);
            std::printf("catalog: %d applications, %d suggestions, %d content types\n", result.apps, result.suggestions,
                        result.associations);
            std::printf("  scan                   %8.2f ms (median of %d)\n", result.scanMs, rounds);
            std::printf("  suggestions            %8.2f ms\n", result.suggestionsMs);
            std::printf("  catalog build          %8.2f ms\n", result.buildMs);
            std::printf("  ratio                  %8.2fx (suggestions + build against the scan)\n", result.ratio());
            std::printf("  peak memory            %8.1f MiB (%.1f MiB after writing the system)\n",
                        result.peakKilobytes / 1024.0, result.peakKilobytesAfterWriting / 1024.0);
        }
        if (names.isEmpty() || names.contains(u"refresh"_s)) {
            const auto result = tessik::tools::RefreshBenchmark::run(count, seedValue, rounds);
            const auto times = [](double ms, double floor) { return floor > 0 ? ms / floor : 0; };
            std::printf("refresh: %d bundles, %d applications, %d content types; pool of %d thread(s)\n",
                        result.bundles, result.apps, result.associations, result.threads);
            std::printf("  floor A, one thread    %8.2f ms (best of %d)\n", result.floorSerialMs, 3 * rounds);
            std::printf("  floor B, on the pool   %8.2f ms\n", result.floorPoolMs);
            for (const auto& [label, timing] :
                 {std::pair{"again", result.warm}, std::pair{"first", result.cold},
                  std::pair{"first, without the bundle cache file", result.coldWithoutCache}}) {
                std::printf("  %s:\n", label);
                // The scan alone is timed with the cache file kept.
                if (timing.scanMs > 0)
                    std::printf(
                        "    scan                 %8.2f ms  %5.2fx floor B (aim: at most 1.5x), %5.2fx floor A\n",
                        timing.scanMs, times(timing.scanMs, result.floorPoolMs),
                        times(timing.scanMs, result.floorSerialMs));
                std::printf("    refresh              %8.2f ms  %5.2fx floor B (aim: at most 3x), %5.2fx floor A\n",
                            timing.refreshMs, times(timing.refreshMs, result.floorPoolMs),
                            times(timing.refreshMs, result.floorSerialMs));
                std::printf("    interface stalled    %8.2f ms (median of the longest; aim: under 16 ms)\n",
                            timing.longestStallMs);
            }
            std::printf("  timer gap, no refresh  %8.2f ms\n", result.idleStallMs);
            std::printf("  peak memory            %8.1f MiB (after the refreshes)\n", result.peakKilobytes / 1024.0);
        }
        if (names.isEmpty() || names.contains(u"ui"_s)) {
            const auto result = tessik::tools::UiBenchmark::run(count, seedValue, rounds);
            const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
            const double ratio = result.floorPoolMs > 0 ? result.startMs / result.floorPoolMs : 0;
            std::printf("ui: %d bundles, %d applications, %d listed formats; pool of %d thread(s)\n", result.bundles,
                        result.apps, result.types, result.threads);
            std::printf("  floor A, one thread    %8.2f ms (best of %d)\n", result.floorSerialMs, 3 * rounds);
            std::printf("  floor B, on the pool   %8.2f ms\n", result.floorPoolMs);
            std::printf("  start to painted list  %8.2f ms  %5.2fx floor B (goal: at most 4x, %s); slowest %.2f ms "
                        "(median of %d)\n",
                        result.startMs, ratio, verdict(ratio <= 4), result.slowestStartMs, rounds);
            std::printf("  stall, first refresh   %8.2f ms (goal: at most 16 ms, %s); median of %d rounds' longest, "
                        "worst %.2f ms\n",
                        result.refreshStallMs, verdict(result.refreshStallMs <= 16), rounds,
                        result.worstRefreshStallMs);
            std::printf("  stall, applying %2d     %8.2f ms (goal: at most 16 ms, %s); median of %d rounds' longest, "
                        "worst %.2f ms\n",
                        result.staged, result.applyStallMs, verdict(result.applyStallMs <= 16), rounds,
                        result.worstApplyStallMs);
            std::printf("    of it, working       %8.2f ms (goal: at most 16 ms, %s): the longest the interface thread "
                        "itself worked between ticks, worst %.2f ms\n",
                        result.applyStallWorkMs, verdict(result.applyStallWorkMs <= 16), result.worstApplyStallWorkMs);
            std::printf("    idle, as long        %8.2f ms: the longest gap with nothing to do (median of %d)\n",
                        result.idleStallMs, rounds);
            std::printf("  apply, until reloaded  %8.2f ms (median of %d)\n", result.applyMs, rounds);
            std::printf("  keystroke to list      %8.2f ms (goal: under 16 ms, %s); slowest %.2f ms (median of %d)\n",
                        result.keystrokeMs, verdict(result.keystrokeMs < 16), result.slowestKeystrokeMs,
                        result.keystrokes);
            std::printf("  peak memory            %8.1f MiB (goal: at most 150 MB, %s)\n",
                        result.peakKilobytes / 1024.0, verdict(result.peakKilobytes * 1024.0 <= 150e6));
        }
        if (names.isEmpty() || names.contains(u"start"_s))
            printStart(tessik::tools::StartBenchmark::run(count, seedValue, rounds), rounds);
        if (names.isEmpty() || names.contains(u"set"_s))
            printSetCounts(tessik::tools::SetBenchmark::run());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessik-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
