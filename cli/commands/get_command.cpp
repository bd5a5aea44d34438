#include "get_command.h"

#include "core/services/launch_services_association_reader.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

GetCommand::GetCommand() : CliCommand(u"get"_s, u"Print the current handler of a content type."_s) {}

void GetCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"role"_s, u"viewer, editor, shell or all (default all)."_s, u"role"_s, u"all"_s});
    parser.addPositionalArgument(u"type"_s, u"A content type identifier such as public.html."_s);
}

int GetCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString type = requirePositional(parser, 1).constFirst();
    const AssociationRole role = requireRole(parser);
    const auto handler = LaunchServicesAssociationReader().defaultHandler(type, role);
    if (!handler) {
        io.err << u"No application opens %1 in the role %2.\n"_s.arg(type, rawValue(role));
        return 1;
    }
    io.out << *handler << u'\n';
    return 0;
}

} // namespace tessik::cli
