#include "set_benchmark.h"

#include "cli/cli_application.h"
#include "core/discovery/app_scanner.h"
#include "platform/launch_services.h"
#include "platform/lookup_batch.h"
#include "platform/system_root.h"
#include "systemwriter/demo_system.h"
#include "systemwriter/xdg_demo_system.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tessik::tools {
namespace {

using platform::LookupBatch;

// Runs one command line of tessik-cli here, counting what it scanned, looked at and read.
SetBenchmark::Counts count(const QStringList& arguments, const QString& type)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    SetBenchmark::Counts counts;
    const qint64 scans = AppScanner::scansMade();
    const qint64 looks = LookupBatch::looks();
    const qint64 reads = LookupBatch::reads();
    const qint64 batches = LookupBatch::batches();
    QElapsedTimer clock;
    clock.start();
    const int status = cli::CliApplication().run(QStringList{u"tessik-cli"_s, u"--language"_s, u"en"_s} + arguments,
                                                 outStream, errStream);
    counts.ms = clock.nsecsElapsed() / 1e6;
    outStream.flush();
    errStream.flush();
    if (status != 0)
        throw std::runtime_error("tessik-cli " + arguments.join(u' ').toStdString() +
                                 " failed: " + (out + err).toStdString());
    counts.scans = AppScanner::scansMade() - scans;
    counts.looks = LookupBatch::looks() - looks;
    counts.reads = LookupBatch::reads() - reads;
    counts.batches = LookupBatch::batches() - batches;
    counts.changes = int(out.count(u"Succeeded"_s));
    const qint64 before = LookupBatch::looks();
    {
        const LookupBatch batch;
        platform::LSCopyDefaultRoleHandlerForContentType(type, platform::kLSRolesAll);
    }
    counts.filesPerLookup = LookupBatch::looks() - before;
    return counts;
}

// Points this process at the desktop, as the lines make-system prints for it do; returns the names it set.
QStringList selectDesktop(const QString& root)
{
    static const QRegularExpression line(u"^export (\\w+)='([^']*)'(.*)$"_s);
    QStringList names;
    for (const QString& text : XdgDemoSystem::environment(root).split(u'\n')) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        QString value = match.captured(2);
        if (!match.captured(3).isEmpty()) // PATH keeps what follows
            value += u':' + qEnvironmentVariable("PATH");
        qputenv(match.captured(1).toLocal8Bit().constData(), value.toLocal8Bit());
        names.append(match.captured(1));
    }
    return names;
}

} // namespace

SetBenchmark::Result SetBenchmark::run()
{
    Result result;
    QTemporaryDir mac;
    QTemporaryDir desktop;
    if (!mac.isValid() || !desktop.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    DemoSystem::write(mac.path());
    result.mac = count({u"--system-root"_s, mac.path(), u"set"_s, u"md"_s, u"com.microsoft.VSCode"_s, u"--yes"_s},
                       u"net.daringfireball.markdown"_s);
    platform::setSystemRoot({});

    XdgDemoSystem::write(desktop.path());
    const QProcessEnvironment kept = QProcessEnvironment::systemEnvironment();
    const QStringList names = selectDesktop(desktop.path()) << u"TESSIK_SYSTEM_ROOT"_s;
    qunsetenv("TESSIK_SYSTEM_ROOT");
    result.desktop = count({u"set"_s, u"md"_s, u"org.gnome.TextEditor.desktop"_s}, u"text/markdown"_s);
    for (const QString& name : names) {
        if (kept.contains(name))
            qputenv(name.toLocal8Bit().constData(), kept.value(name).toLocal8Bit());
        else
            qunsetenv(name.toLocal8Bit().constData());
    }
    return result;
}

} // namespace tessik::tools
