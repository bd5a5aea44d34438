// Writes an emulated macOS machine into a folder: the demo machine, or a synthetic one of any size.
#include "systemwriter/demo_system.h"
#include "systemwriter/synthetic_system.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

int usageError(const QCommandLineParser& parser, const QString& message)
{
    std::fprintf(stderr, "make-system: %s\n\n%s", qPrintable(message), qPrintable(parser.helpText()));
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Writes an emulated macOS system root for Tessik."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help."_s);
    const QCommandLineOption demo(u"demo"_s, u"Write the demo system into <dir>."_s, u"dir"_s);
    const QCommandLineOption synthetic(u"synthetic"_s, u"Write a synthetic system into <dir>."_s, u"dir"_s);
    const QCommandLineOption apps(u"apps"_s, u"Number of applications of the synthetic system."_s, u"n"_s);
    const QCommandLineOption seed(u"seed"_s, u"Seed of the synthetic system (default 1)."_s, u"s"_s, u"1"_s);
    parser.addOptions({help, demo, synthetic, apps, seed});

    if (!parser.parse(application.arguments()))
        return usageError(parser, parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(parser, u"unexpected argument “%1”"_s.arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(demo) == parser.isSet(synthetic))
        return usageError(parser, u"give exactly one of --demo and --synthetic"_s);

    try {
        if (parser.isSet(demo)) {
            const int bundles = tessik::tools::DemoSystem::write(parser.value(demo));
            std::printf("Wrote the demo system (%d bundles) to %s\n", bundles, qPrintable(parser.value(demo)));
            return 0;
        }
        bool countOk = false, seedOk = false;
        const int count = parser.value(apps).toInt(&countOk);
        const uint seedValue = parser.value(seed).toUInt(&seedOk);
        if (!parser.isSet(apps) || !countOk || count < 0 || count > 1000000)
            return usageError(parser, u"--apps needs a count from 0 to 1000000"_s);
        if (!seedOk)
            return usageError(parser, u"--seed needs a non-negative integer"_s);
        const auto summary = tessik::tools::SyntheticSystem::write(parser.value(synthetic), count, seedValue);
        std::printf("Wrote a synthetic system (%d bundles, %d applications, %d handlers) to %s\n", summary.bundles,
                    summary.distinctIdentifiers, summary.handlers, qPrintable(parser.value(synthetic)));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-system: %s\n", error.what());
        return 1;
    }
}
