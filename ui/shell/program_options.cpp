#include "program_options.h"

#include "app/l10n/app_language.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

void declare(QCommandLineParser& parser)
{
    parser.setApplicationDescription(u"Chooses which application opens each file format."_s);
    parser.addOptions({
        {u"system-root"_s, u"The emulated machine to use (default: $TESSIK_SYSTEM_ROOT, else this machine)."_s,
         u"dir"_s},
        {u"language"_s, u"The interface language of this run: zh, en, fr, de, es, ja or ko."_s, u"code"_s},
        {u"server-url"_s, u"The update service to ask for a newer format catalog."_s, u"url"_s},
        {u"screenshot"_s, u"Save the main window as a PNG once the catalog is loaded, then quit."_s, u"file"_s},
        {u"by-format"_s, u"Show the catalog by format."_s},
        {u"select"_s, u"Select an application (bundle identifier) or, with --by-format, a content type."_s, u"id"_s},
        {u"sheet"_s, u"With --screenshot: show add-format, choose-app, settings or history over the window."_s, u"name"_s},
        {{u"h"_s, u"help"_s}, u"Show this help."_s},
        {u"version"_s, u"Print the version."_s},
    });
}

} // namespace

QString ProgramOptions::usage()
{
    QCommandLineParser parser;
    declare(parser);
    // Read before the application object exists, the parser cannot know the program's name.
    return parser.helpText().replace(u"<executable_name>"_s, u"tessik"_s);
}

std::optional<ProgramOptions> ProgramOptions::parse(const QStringList& arguments, QString& error)
{
    QCommandLineParser parser;
    declare(parser);
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = u"unexpected argument “%1”"_s.arg(parser.positionalArguments().constFirst());
        return std::nullopt;
    }
    ProgramOptions options;
    options.help = parser.isSet(u"help"_s);
    options.version = parser.isSet(u"version"_s);
    options.systemRoot =
        parser.isSet(u"system-root"_s) ? parser.value(u"system-root"_s) : qEnvironmentVariable("TESSIK_SYSTEM_ROOT");
    if (parser.isSet(u"language"_s)) {
        // EN is en, as a person types it.
        const QString code = parser.value(u"language"_s).toLower();
        if (!AppLanguage::fromRawValue(code)) {
            error = u"--language needs one of zh, en, fr, de, es, ja, ko"_s;
            return std::nullopt;
        }
        options.language = code;
    }
    options.screenshot = parser.value(u"screenshot"_s);
    options.byFormat = parser.isSet(u"by-format"_s);
    if (parser.isSet(u"select"_s))
        options.select = parser.value(u"select"_s);
    if (parser.isSet(u"sheet"_s)) {
        const QString sheet = parser.value(u"sheet"_s);
        if (sheet == u"add-format"_s)
            options.sheet = Sheet::addFormat;
        else if (sheet == u"choose-app"_s)
            options.sheet = Sheet::chooseApp;
        else if (sheet == u"settings"_s)
            options.sheet = Sheet::settings;
        else if (sheet == u"history"_s)
            options.sheet = Sheet::history;
        else {
            error = u"--sheet needs add-format, choose-app, settings or history"_s;
            return std::nullopt;
        }
        if (options.screenshot.isEmpty()) {
            error = u"--sheet goes with --screenshot"_s;
            return std::nullopt;
        }
    }
    return options;
}

} // namespace tessik::ui
