#include "extensions_command.h"

#include "core/services/type_resolver.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tessik::cli {

ExtensionsCommand::ExtensionsCommand()
    : CliCommand(u"extensions"_s, u"Print the filename extensions of a format’s content type, one a line."_s)
{
}

void ExtensionsCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(jsonOption());
    parser.addPositionalArgument(u"target"_s, targetHelp());
}

int ExtensionsCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString type = requireTarget(requirePositional(parser, 1, io.language).constFirst(), io.language);
    const QStringList extensions = TypeResolver().extensions(type);
    if (parser.isSet(jsonOption())) {
        printJson(io.out,
                  QJsonObject{{u"typeIdentifier"_s, type}, {u"extensions"_s, QJsonArray::fromStringList(extensions)}});
        return 0;
    }
    for (const QString& extension : extensions)
        io.out << extension << u'\n';
    return 0;
}

} // namespace tessik::cli
