#include "get_command.h"

#include "app/l10n/platform_texts.h"
#include "core/services/launch_services_association_reader.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

GetCommand::GetCommand() : CliCommand(u"get"_s, u"Print the current handler of a content type."_s) {}

void GetCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(roleOption());
    parser.addPositionalArgument(u"type"_s, PlatformTexts::isMac() ? u"A content type identifier such as public.html."_s
                                                                   : u"A MIME type such as text/html."_s);
}

int GetCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString type = requirePositional(parser, 1, io.language).constFirst();
    const AssociationRole role = requireRole(parser, io.language);
    const auto handler = LaunchServicesAssociationReader().defaultHandler(type, role);
    if (!handler) {
        // A desktop has one default per type, whatever the role.
        const L10n::Values values{{u"role"_s, rawValue(role)}, {u"type"_s, type}};
        io.err << (PlatformTexts::isMac() ? L10n::text(u"没有应用以 {role} 角色打开 {type}。"_s, io.language, values)
                                          : L10n::text(u"没有应用默认打开 {type}。"_s, io.language, values))
               << u'\n';
        return 1;
    }
    io.out << *handler << u'\n';
    return 0;
}

} // namespace tessik::cli
