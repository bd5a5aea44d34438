#include "type_command.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tessik::cli {

TypeCommand::TypeCommand()
    : CliCommand(u"type"_s, u"Print the content type of an extension, a content type or a file."_s)
{
}

void TypeCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(jsonOption());
    parser.addPositionalArgument(u"target"_s, targetHelp());
}

int TypeCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString target = requirePositional(parser, 1, io.language).constFirst();
    const QString type = requireTarget(target, io.language);
    if (parser.isSet(jsonOption()))
        printJson(io.out, QJsonObject{{u"target"_s, target}, {u"typeIdentifier"_s, type}});
    else
        io.out << type << u'\n';
    return 0;
}

} // namespace tessik::cli
