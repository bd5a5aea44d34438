#include "get_command.h"

#include "app/l10n/platform_texts.h"
#include "cli/terminal_text.h"
#include "core/services/launch_services_association_reader.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tessik::cli {

GetCommand::GetCommand() : CliCommand(u"get"_s, u"Print the current handler of a format."_s) {}

void GetCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(roleOption());
    parser.addOption(jsonOption());
    parser.addPositionalArgument(u"target"_s, targetHelp());
}

int GetCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString target = requirePositional(parser, 1, io.language).constFirst();
    const AssociationRole role = requireRole(parser, io.language);
    const QString type = requireTarget(target, io.language);
    const auto handler = LaunchServicesAssociationReader().defaultHandler(type, role);
    if (parser.isSet(jsonOption())) {
        printJson(io.out, QJsonObject{{u"typeIdentifier"_s, type},
                                      {u"role"_s, rawValue(role)},
                                      {u"bundleIdentifier"_s, handler ? QJsonValue(*handler) : QJsonValue()}});
        return handler ? 0 : 1;
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

} // namespace tessik::cli
