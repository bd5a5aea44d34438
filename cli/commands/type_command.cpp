#include "type_command.h"

#include "core/catalog/custom_association_error.h"
#include "core/services/type_resolver.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

TypeCommand::TypeCommand() : CliCommand(u"type"_s, u"Print the content type of a filename extension."_s) {}

void TypeCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(u"extension"_s, u"An extension such as md or .md."_s);
}

int TypeCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString extension = requirePositional(parser, 1, io.language).constFirst();
    const auto type = TypeResolver().typeIdentifier(extension);
    if (type) {
        io.out << *type << u'\n';
        return 0;
    }
    // Say why: an input that is no single extension differs from one the system cannot resolve.
    try {
        TypeResolver::normalize(extension);
        io.err << L10n::error(CustomAssociationError(CustomAssociationError::Kind::unresolvedExtension), io.language)
               << u'\n';
    } catch (const CustomAssociationError& error) {
        io.err << L10n::error(error, io.language) << u'\n';
    }
    return 1;
}

} // namespace tessik::cli
