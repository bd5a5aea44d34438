#include "set_command.h"

#include "app/l10n/platform_texts.h"
#include "cli/application_finder.h"
#include "cli/change_runner.h"
#include "core/discovery/app_scanner.h"
#include "core/records/url_scheme.h"
#include "core/records/web_browser.h"
#include "platform/launch_services.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

namespace {

const QCommandLineOption browserOption{
    u"browser"_s, u"Make the application the web browser: the default for both http: and https: links."_s, u"app"_s};

} // namespace

SetCommand::SetCommand()
    : CliCommand(u"set"_s,
                 u"Make an application the default for a format: TARGET APP, or several TARGET=APP in one plan. TARGET "
                 "is an extension (.md or md), a known content type, a file path or a link scheme (https:)."_s)
{
}

void SetCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(roleOption());
    parser.addOption(browserOption);
    ChangeRunner::addChangeOptions(parser);
    parser.addPositionalArgument(u"target"_s, targetHelp());
    parser.addPositionalArgument(
        u"app"_s,
        PlatformTexts::isMac()
            ? u"An installed application: its bundle identifier (any case), the path of its bundle, or its name "
              "when no other application has it."_s
            : u"An installed application: its desktop file ID (org.gnome.TextEditor.desktop, the suffix optional), "
              "the path of its desktop file, or its name when no other application has it."_s);
}

int SetCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const AssociationRole role = requireRole(parser, io.language);
    const ChangeRunner runner(io, parser);
    const QStringList arguments = parser.positionalArguments();
    QList<std::pair<QString, QString>> pairs;
    if (parser.isSet(browserOption))
        for (const QString& scheme : WebBrowser::schemeIdentifiers())
            pairs.append({scheme, parser.value(browserOption)});
    if (arguments.size() == 2 && !arguments[0].contains(u'=') && !arguments[1].contains(u'=')) {
        pairs.append({arguments[0], arguments[1]});
    } else {
        if (arguments.isEmpty() && pairs.isEmpty())
            throw UsageError(L10n::text(u"缺少参数"_s, io.language));
        for (const QString& argument : arguments) {
            const qsizetype equals = argument.indexOf(u'=');
            if (equals <= 0 || equals == argument.size() - 1)
                throw UsageError(L10n::text(u"“{argument}”不是 TARGET=BUNDLE_ID 的形式"_s, io.language,
                                            {{u"argument"_s, argument}}));
            pairs.append({argument.left(equals), argument.mid(equals + 1)});
        }
    }

    // The one scan of the applications this command makes.
    AppScanner::Result scanned = AppScanner().scanWithCapabilities();
    QList<InstalledApp>& installed = scanned.apps;
    QList<ChangeRequest> requests;
    for (const auto& [target, name] : pairs) {
        const QString type = requireTarget(target, io.language, installed);
        const ApplicationFinder::Result found = ApplicationFinder(installed).find(name);
        if (!found.app) {
            io.err << ApplicationFinder::missText(found, name, io.language) << u'\n';
            return 1;
        }
        // An application named by its path is made known first, as associate does.
        if (!installed.contains(*found.app)) {
            platform::LSRegisterURL(found.app->url, true);
            installed.append(*found.app);
        }
        requests.append({type, URLScheme::roleFor(type, role), found.app->bundleIdentifier});
    }
    return runner.run(requests, scanned);
}

} // namespace tessik::cli
