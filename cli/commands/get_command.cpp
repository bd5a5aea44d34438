#include "get_command.h"

#include "app/l10n/platform_texts.h"
#include "cli/terminal_text.h"
#include "core/records/url_scheme.h"
#include "core/records/web_browser.h"
#include "core/services/launch_services_association_reader.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tessik::cli {

namespace {

const QCommandLineOption browserOption{u"browser"_s,
                                       u"Print the web browser: the application that opens http: and https: links."_s};

QJsonValue jsonValue(const std::optional<QString>& handler)
{
    return handler ? QJsonValue(*handler) : QJsonValue();
}

} // namespace

GetCommand::GetCommand() : CliCommand(u"get"_s, u"Print the current handler of a format or of a link (https:)."_s) {}

void GetCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(roleOption());
    parser.addOption(jsonOption());
    parser.addOption(browserOption);
    parser.addPositionalArgument(u"target"_s, targetHelp());
}

int GetCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    if (parser.isSet(browserOption))
        return printBrowser(parser, io);
    const QString target = requirePositional(parser, 1, io.language).constFirst();
    const AssociationRole requested = requireRole(parser, io.language);
    const QString type = requireTarget(target, io.language);
    const AssociationRole role = URLScheme::roleFor(type, requested);
    const bool link = URLScheme::isIdentifier(type);
    const auto handler = LaunchServicesAssociationReader().defaultHandler(type, role);
    if (parser.isSet(jsonOption())) {
        printJson(io.out, QJsonObject{{u"typeIdentifier"_s, type},
                                      {u"role"_s, rawValue(role)},
                                      {u"bundleIdentifier"_s, jsonValue(handler)}});
        return handler ? 0 : 1;
    }
    if (!handler && link) {
        io.err << L10n::text(u"没有应用打开 {type} 链接。"_s, io.language, {{u"type"_s, type}}) << u'\n';
        return 1;
    }
    if (!handler) {
        // A desktop has one default per type, whatever the role.
        const L10n::Values values{{u"role"_s, rawValue(role)}, {u"type"_s, type}};
        io.err << (PlatformTexts::isMac() ? L10n::text(u"没有应用以 {role} 角色打开 {type}。"_s, io.language, values)
                                          : L10n::text(u"没有应用默认打开 {type}。"_s, io.language, values))
               << u'\n';
        return 1;
    }
    io.out << TerminalText::escaped(*handler) << u'\n';
    return 0;
}

int GetCommand::printBrowser(const QCommandLineParser& parser, CliStreams& io) const
{
    requirePositional(parser, 0, io.language);
    const LaunchServicesAssociationReader reader;
    const QStringList& schemes = WebBrowser::schemeIdentifiers();
    const auto http = reader.defaultHandler(schemes.first(), AssociationRole::all);
    const auto https = reader.defaultHandler(schemes.last(), AssociationRole::all);
    const auto browser = WebBrowser::common(http, https);
    if (parser.isSet(jsonOption())) {
        printJson(io.out, QJsonObject{{u"bundleIdentifier"_s, jsonValue(browser)},
                                      {schemes.first(), jsonValue(http)},
                                      {schemes.last(), jsonValue(https)}});
        return browser ? 0 : 1;
    }
    if (browser) {
        io.out << TerminalText::escaped(*browser) << u'\n';
        return 0;
    }
    if (!http && !https) {
        io.err << L10n::text(u"没有应用打开 http: 和 https: 链接。"_s, io.language) << u'\n';
        return 1;
    }
    const QString none = L10n::text(u"未设置"_s, io.language);
    for (const auto& [scheme, handler] : {std::pair{schemes.first(), http}, std::pair{schemes.last(), https}})
        io.out << scheme << u' ' << (handler ? TerminalText::escaped(*handler) : none) << u'\n';
    io.err << L10n::text(u"http: 和 https: 链接现在由不同的应用打开；set --browser 让两者一起更改"_s, io.language)
           << u'\n';
    return 1;
}

} // namespace tessik::cli
