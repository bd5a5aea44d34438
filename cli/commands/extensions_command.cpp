#include "extensions_command.h"

#include "app/l10n/platform_texts.h"
#include "core/services/type_resolver.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

ExtensionsCommand::ExtensionsCommand()
    : CliCommand(u"extensions"_s, u"Print the filename extensions of a content type, one a line."_s)
{
}

void ExtensionsCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(u"type"_s, PlatformTexts::isMac() ? u"A content type identifier such as public.jpeg."_s
                                                                   : u"A MIME type such as image/jpeg."_s);
}

int ExtensionsCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString type = requirePositional(parser, 1, io.language).constFirst();
    for (const QString& extension : TypeResolver().extensions(type))
        io.out << extension << u'\n';
    return 0;
}

} // namespace tessik::cli
