#include "cli_command.h"

#include "app/l10n/platform_texts.h"

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

QCommandLineOption roleOption()
{
    return {u"role"_s,
            PlatformTexts::isMac() ? u"viewer, editor, shell or all (default all)."_s
                                   : u"viewer, editor or all (default all): this desktop keeps one default per type."_s,
            u"role"_s, u"all"_s};
}

AssociationRole requireRole(const QCommandLineParser& parser, const QString& language)
{
    const QString value = parser.value(u"role"_s);
    const auto role = associationRoleFromRawValue(value);
    // A freedesktop.org desktop has no shell role to read or write.
    if (!PlatformTexts::isMac() && (!role || *role == AssociationRole::shell))
        throw UsageError(
            L10n::text(u"角色必须是 viewer、editor 或 all，而不是“{role}”"_s, language, {{u"role"_s, value}}));
    if (!role)
        throw UsageError(
            L10n::text(u"角色必须是 viewer、editor、shell 或 all，而不是“{role}”"_s, language, {{u"role"_s, value}}));
    return *role;
}

} // namespace tessik::cli
