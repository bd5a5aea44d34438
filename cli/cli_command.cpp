#include "cli_command.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

QStringList requirePositional(const QCommandLineParser& parser, qsizetype count, const QString& language)
{
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() < count)
        throw UsageError(L10n::text(u"缺少参数"_s, language));
    if (arguments.size() > count)
        throw UsageError(L10n::text(u"多余的参数“{argument}”"_s, language, {{u"argument"_s, arguments.at(count)}}));
    return arguments;
}

AssociationRole requireRole(const QCommandLineParser& parser, const QString& language)
{
    const QString value = parser.value(u"role"_s);
    const auto role = associationRoleFromRawValue(value);
    if (!role)
        throw UsageError(
            L10n::text(u"角色必须是 viewer、editor、shell 或 all，而不是“{role}”"_s, language, {{u"role"_s, value}}));
    return *role;
}

} // namespace tessik::cli
