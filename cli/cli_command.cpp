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

} // namespace tessik::cli
