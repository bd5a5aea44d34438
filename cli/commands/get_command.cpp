#include "get_command.h"

#include "core/services/launch_services_association_reader.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

QString GetCommand::name() const
{
    return u"get"_s;
}

QString GetCommand::summary() const
{
    return u"Print the current handler of a content type."_s;
}

void GetCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"role"_s, u"viewer, editor, shell or all (default all)."_s, u"role"_s, u"all"_s});
    parser.addPositionalArgument(u"type"_s, u"A content type identifier such as public.html."_s);
}

int GetCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString type = requirePositional(parser, 1).constFirst();
    const auto role = associationRoleFromRawValue(parser.value(u"role"_s));
    if (!role)
        throw UsageError(u"the role must be viewer, editor, shell or all, not “%1”"_s.arg(parser.value(u"role"_s)));
    const auto handler = LaunchServicesAssociationReader().defaultHandler(type, *role);
    if (!handler) {
        io.err << u"No application opens %1 in the role %2.\n"_s.arg(type, rawValue(*role));
        return 1;
    }
    io.out << *handler << u'\n';
    return 0;
}

} // namespace tessik::cli
