#include "cli_command.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

QStringList requirePositional(const QCommandLineParser& parser, qsizetype count)
{
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() < count)
        throw UsageError(u"missing argument"_s);
    if (arguments.size() > count)
        throw UsageError(u"unexpected argument “%1”"_s.arg(arguments.at(count)));
    return arguments;
}

AssociationRole requireRole(const QCommandLineParser& parser)
{
    const auto role = associationRoleFromRawValue(parser.value(u"role"_s));
    if (!role)
        throw UsageError(u"the role must be viewer, editor, shell or all, not “%1”"_s.arg(parser.value(u"role"_s)));
    return *role;
}

} // namespace tessik::cli
