// Writes an emulated macOS machine into a folder: the demo machine, or a synthetic one of any size.
#include "systemwriter/demo_system.h"
#include "systemwriter/synthetic_system.h"
#include "systemwriter/system_root_writer.h"
#include "systemwriter/tessik_artwork.h"
#include "systemwriter/xdg_demo_system.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>

#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// The interface languages and the language tag a Mac in that language lists first.
const QHash<QString, QString> machineLanguages{{u"zh"_s, u"zh-Hans"_s}, {u"en"_s, u"en"_s}, {u"fr"_s, u"fr"_s},
                                               {u"de"_s, u"de"_s},      {u"es"_s, u"es"_s}, {u"ja"_s, u"ja"_s},
                                               {u"ko"_s, u"ko"_s}};

int usageError(const QCommandLineParser& parser, const QString& message)
{
    std::fprintf(stderr, "make-system: %s\n\n%s", qPrintable(message), qPrintable(parser.helpText()));
    return 2;
}

// Reads --write-delay, --ignore-type and --override-type; nothing when none is given.
std::optional<tessik::platform::EmulationSettings> emulationOptions(const QCommandLineParser& parser)
{
    if (!parser.isSet(u"write-delay"_s) && !parser.isSet(u"ignore-type"_s) && !parser.isSet(u"override-type"_s))
        return std::nullopt;
    tessik::platform::EmulationSettings settings;
    if (parser.isSet(u"write-delay"_s)) {
        bool ok = false;
        settings.handlerWriteDelay = parser.value(u"write-delay"_s).toDouble(&ok);
        if (!ok || !std::isfinite(settings.handlerWriteDelay) || settings.handlerWriteDelay < 0)
            throw std::invalid_argument("--write-delay needs a number of seconds, 0 or more");
    }
    for (const QString& type : parser.values(u"ignore-type"_s)) {
        if (type.trimmed().isEmpty())
            throw std::invalid_argument("--ignore-type needs a content type");
        settings.ignoredContentTypes.append(type.trimmed());
    }
    for (const QString& pair : parser.values(u"override-type"_s)) {
        const QStringList parts = pair.split(u'=');
        if (parts.size() != 2 || parts[0].trimmed().isEmpty() || parts[1].trimmed().isEmpty())
            throw std::invalid_argument("--override-type needs TYPE=BUNDLE_ID, not " + pair.toStdString());
        settings.overriddenContentTypes.insert(parts[0].trimmed(), parts[1].trimmed());
    }
    return settings;
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
    const QCommandLineOption xdgDemo(
        u"xdg-demo"_s, u"Write a sandboxed Linux desktop into <dir> and print the shell lines that select it."_s,
        u"dir"_s);
    const QCommandLineOption apps(u"apps"_s, u"Number of applications of the synthetic system."_s, u"n"_s);
    const QCommandLineOption seed(u"seed"_s, u"Seed of the synthetic system (default 1)."_s, u"s"_s, u"1"_s);
    const QCommandLineOption writeDelay(
        u"write-delay"_s, u"Seconds before a handler change becomes visible (Emulation.plist)."_s, u"seconds"_s);
    const QCommandLineOption ignoreType(u"ignore-type"_s, u"A type whose handler changes never take (repeatable)."_s,
                                        u"type"_s);
    const QCommandLineOption overrideType(u"override-type"_s,
                                          u"A type whose handler changes end with another application (repeatable)."_s,
                                          u"type=bundle-id"_s);
    const QCommandLineOption language(
        u"language"_s, u"With --demo: the machine's language (zh, en, fr, de, es, ja or ko; default zh)."_s, u"code"_s);
    const QCommandLineOption logo(u"logo"_s, u"Write the program's artwork (512 × 512 PNG) to <file>."_s, u"file"_s);
    const QCommandLineOption logoSize(u"logo-size"_s, u"With --logo: the picture's size in pixels (16 to 1024)."_s,
                                      u"pixels"_s, u"512"_s);
    parser.addOptions(
        {help, demo, synthetic, xdgDemo, apps, seed, language, writeDelay, ignoreType, overrideType, logo, logoSize});

    if (!parser.parse(application.arguments()))
        return usageError(parser, parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(parser, u"unexpected argument “%1”"_s.arg(parser.positionalArguments().constFirst()));
    if (int(parser.isSet(demo)) + int(parser.isSet(synthetic)) + int(parser.isSet(xdgDemo)) + int(parser.isSet(logo)) !=
        1)
        return usageError(parser, u"give exactly one of --demo, --synthetic, --xdg-demo and --logo"_s);
    if (parser.isSet(logoSize) && !parser.isSet(logo))
        return usageError(parser, u"--logo-size goes with --logo"_s);
    if (parser.isSet(logo)) {
        bool number = false;
        const int pixels = parser.value(logoSize).toInt(&number);
        if (!number || pixels < 16 || pixels > 1024)
            return usageError(parser, u"--logo-size needs a number of pixels from 16 to 1024"_s);
        if (!tessik::tools::TessikArtwork::logo(pixels).save(parser.value(logo), "PNG")) {
            std::fprintf(stderr, "make-system: cannot write %s\n", qPrintable(parser.value(logo)));
            return 1;
        }
        return 0;
    }
    if (parser.isSet(xdgDemo)) {
        for (const QString& option :
             {u"apps"_s, u"seed"_s, u"language"_s, u"write-delay"_s, u"ignore-type"_s, u"override-type"_s})
            if (parser.isSet(option))
                return usageError(parser, u"--%1 does not go with --xdg-demo"_s.arg(option));
        try {
            const int entries = tessik::tools::XdgDemoSystem::write(parser.value(xdgDemo));
            // Only the shell lines go to standard output, for `eval "$(make-system --xdg-demo DIR)"`.
            std::fprintf(stderr, "Wrote a Linux desktop (%d desktop entries) to %s\n", entries,
                         qPrintable(parser.value(xdgDemo)));
            std::fputs(qPrintable(tessik::tools::XdgDemoSystem::environment(parser.value(xdgDemo))), stdout);
            return 0;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "make-system: %s\n", error.what());
            return 1;
        }
    }
    std::optional<tessik::platform::EmulationSettings> emulation;
    try {
        emulation = emulationOptions(parser);
    } catch (const std::invalid_argument& error) {
        return usageError(parser, QString::fromUtf8(error.what()));
    }
    const QString root = parser.value(parser.isSet(demo) ? demo : synthetic);
    QStringList languages;
    if (parser.isSet(language)) {
        const QString code = parser.value(language);
        if (!parser.isSet(demo))
            return usageError(parser, u"--language goes with --demo"_s);
        if (!machineLanguages.contains(code))
            return usageError(parser, u"--language needs one of zh, en, fr, de, es, ja, ko, not “%1”"_s.arg(code));
        // A Mac lists the system language first and keeps English as the last resort.
        languages = {machineLanguages.value(code)};
        if (code != u"en"_s)
            languages.append(u"en"_s);
    }

    try {
        if (parser.isSet(demo)) {
            const int bundles = tessik::tools::DemoSystem::write(root, languages);
            if (emulation)
                tessik::tools::SystemRootWriter::writeEmulation(root, *emulation);
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
        const auto summary = tessik::tools::SyntheticSystem::write(root, count, seedValue);
        if (emulation)
            tessik::tools::SystemRootWriter::writeEmulation(root, *emulation);
        std::printf("Wrote a synthetic system (%d bundles, %d applications, %d handlers) to %s\n", summary.bundles,
                    summary.distinctIdentifiers, summary.handlers, qPrintable(parser.value(synthetic)));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-system: %s\n", error.what());
        return 1;
    }
}
