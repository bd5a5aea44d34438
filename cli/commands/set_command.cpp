#include "set_command.h"

#include "app/l10n/platform_texts.h"
#include "cli/change_runner.h"
#include "core/discovery/app_scanner.h"
#include "core/services/target_type_resolver.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

SetCommand::SetCommand()
    : CliCommand(u"set"_s,
                 u"Make an application the default for a format: TARGET BUNDLE_ID, or several TARGET=BUNDLE_ID in one "
                 "plan. TARGET is an extension (.md or md) or a known content type."_s)
{
}

void SetCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(roleOption());
    ChangeRunner::addChangeOptions(parser);
    parser.addPositionalArgument(u"target"_s, u"An extension or a known content type identifier."_s);
    parser.addPositionalArgument(
        u"bundle-id"_s,
        PlatformTexts::isMac()
            ? u"The bundle identifier of an installed application."_s
            : u"The desktop file ID of an installed application, such as org.gnome.TextEditor.desktop."_s);
}

int SetCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const AssociationRole role = requireRole(parser, io.language);
    const ChangeRunner runner(io, parser);
    const QStringList arguments = parser.positionalArguments();
    QList<std::pair<QString, QString>> pairs;
    if (arguments.size() == 2 && !arguments[0].contains(u'=') && !arguments[1].contains(u'=')) {
        pairs.append({arguments[0], arguments[1]});
    } else {
        if (arguments.isEmpty())
            throw UsageError(L10n::text(u"缺少参数"_s, io.language));
        for (const QString& argument : arguments) {
            const qsizetype equals = argument.indexOf(u'=');
            if (equals <= 0 || equals == argument.size() - 1)
                throw UsageError(L10n::text(u"“{argument}”不是 TARGET=BUNDLE_ID 的形式"_s, io.language,
                                            {{u"argument"_s, argument}}));
            pairs.append({argument.left(equals), argument.mid(equals + 1)});
        }
    }

    const TargetTypeResolver resolver(AppScanner().scan());
    QList<ChangeRequest> requests;
    for (const auto& [target, bundleIdentifier] : pairs) {
        const auto type = resolver.typeForTarget(target);
        if (!type)
            throw UsageError(
                L10n::text(u"“{target}”既不是扩展名，也不是已知的内容类型"_s, io.language, {{u"target"_s, target}}));
        requests.append({*type, role, bundleIdentifier});
    }
    return runner.run(requests);
}

} // namespace tessik::cli
