#include "start_benchmark.h"

#include "median.h"
#include "platform/backend.h"
#include "platform/system_root.h"
#include "systemwriter/synthetic_system.h"
#include "systemwriter/system_root_writer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

// One whole process, from starting it until it has exited; throws when it fails.
double timeProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"TESSIK_SYSTEM_ROOT"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error(QFileInfo(program).fileName().toStdString() + " " +
                                 arguments.join(u' ').toStdString() + " failed");
    return clock.nsecsElapsed() / 1e6;
}

struct Measured
{
    QString label;
    double goal = 0;
    QString program;
    QStringList arguments;
    // Run before each timing and not counted, as when a cache is thrown away.
    std::function<void()> prepare;
    std::vector<double> ms;
    std::vector<double> ratios;
};

} // namespace

StartBenchmark::Result StartBenchmark::run(int appCount, unsigned seed, int rounds)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    const QString machine = folder.path() + u"/machine"_s;
    const QString empty = folder.path() + u"/empty"_s;
    const QString picture = folder.path() + u"/window.png"_s;
    Result result;
    result.bundles = SyntheticSystem::write(machine, appCount, seed).bundles;
    SyntheticSystem::write(empty, 0, seed);
    // Installed long before, as applications are, so that the bundle cache file serves as on a user's machine.
    SystemRootWriter::backdate(machine);
    SystemRootWriter::backdate(empty);
    result.threads = QThread::idealThreadCount();

    const QString floor = QStringLiteral(TESSIK_FLOOR_PATH);
    const QString tessik = QStringLiteral(TESSIK_PROGRAM_PATH);
    const QString cli = QStringLiteral(TESSIK_CLI_PATH);
    const auto floorRun = [&](bool parallel) {
        QStringList arguments{u"--system-root"_s, machine};
        if (parallel)
            arguments.append(u"--parallel"_s);
        return timeProcess(floor, arguments);
    };
    const auto screenshot = [&](const QString& root) {
        return QStringList{u"--system-root"_s, root, u"--screenshot"_s, picture};
    };
    const QStringList apps{u"--system-root"_s, machine, u"apps"_s, u"--json"_s};
    const QStringList formats{u"--system-root"_s, machine, u"formats"_s, u"--json"_s};
    // Where the programs keep what they read of the bundles, to throw away for a start without it.
    platform::setSystemRoot(machine);
    const QString cacheFile = platform::Backend::current().bundleCacheFile();
    platform::setSystemRoot({});
    const auto withoutCache = [cacheFile] { QFile::remove(cacheFile); };
    std::vector<Measured> measured{
        {u"tessik --screenshot, %1 applications"_s.arg(appCount), 4, tessik, screenshot(machine), {}, {}, {}},
        {u"  the same without the bundle cache"_s, 0, tessik, screenshot(machine), withoutCache, {}, {}},
        {u"tessik --screenshot, no applications"_s, 0, tessik, screenshot(empty), {}, {}, {}},
        {u"tessik-cli apps --json"_s, 1.5, cli, apps, {}, {}, {}},
        {u"  the same without the bundle cache"_s, 0, cli, apps, withoutCache, {}, {}},
        {u"tessik-cli formats --json"_s, 3, cli, formats, {}, {}, {}},
        {u"  the same without the bundle cache"_s, 0, cli, formats, withoutCache, {}, {}},
    };

    // Each program once untimed, so that every file it reads is in the machine's cache as the floor's are.
    floorRun(true);
    for (const Measured& row : measured)
        timeProcess(row.program, row.arguments);
    std::vector<double> serial, parallel;
    for (int round = 0; round < rounds; ++round) {
        serial.push_back(floorRun(false));
        for (Measured& row : measured) {
            if (row.prepare)
                row.prepare();
            const double floorMs = floorRun(true);
            parallel.push_back(floorMs);
            const double ms = timeProcess(row.program, row.arguments);
            row.ms.push_back(ms);
            row.ratios.push_back(ms / floorMs);
        }
    }
    result.floorSerialMs = median(serial);
    result.floorParallelMs = median(parallel);
    for (const Measured& row : measured)
        result.rows.push_back({row.label, median(row.ms), median(row.ratios), row.goal});
    return result;
}

} // namespace tessik::tools
