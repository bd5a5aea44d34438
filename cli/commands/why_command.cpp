#include "why_command.h"

#include "app/l10n/handler_explanation_text.h"
#include "cli/terminal_text.h"
#include "core/records/handler_explanation_json.h"
#include "core/services/launch_services_association_reader.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tessik::cli {

WhyCommand::WhyCommand() : CliCommand(u"why"_s, u"Explain why an application is the current handler of a format."_s)
{
}

void WhyCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(roleOption());
    parser.addOption(jsonOption());
    parser.addPositionalArgument(u"target"_s, targetHelp());
}

int WhyCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString target = requirePositional(parser, 1, io.language).constFirst();
    const AssociationRole role = requireRole(parser, io.language);
    const QString type = requireTarget(target, io.language);
    const platform::HandlerExplanation explanation = LaunchServicesAssociationReader().explainDefaultHandler(type, role);
    if (parser.isSet(jsonOption())) {
        QJsonObject object = HandlerExplanationJson::toJson(explanation);
        object.insert(u"typeIdentifier"_s, type);
        object.insert(u"role"_s, rawValue(role));
        printJson(io.out, object);
        return 0;
    }
    const HandlerExplanationText::Names names = HandlerExplanationText::identifiers();
    QStringList lines{explanation.handler ? *explanation.handler : L10n::text(u"未设置"_s, io.language),
                      HandlerExplanationText::decision(explanation, type, names, io.language)};
    // The bundle's own words, which need no translation.
    if (!explanation.rank.isEmpty())
        lines.append(u"LSHandlerRank "_s + explanation.rank + u", CFBundleTypeRole "_s + explanation.claimedRole);
    lines.append(HandlerExplanationText::passedOverLines(explanation, names, io.language));
    for (const QString& line : std::as_const(lines))
        io.out << TerminalText::escaped(line) << u'\n';
    return 0;
}

} // namespace tessik::cli
