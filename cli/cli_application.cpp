#include "cli_application.h"

#include "commands/apps_command.h"
#include "commands/associate_command.h"
#include "commands/extensions_command.h"
#include "commands/formats_command.h"
#include "commands/get_command.h"
#include "commands/reports_command.h"
#include "commands/restore_command.h"
#include "commands/set_command.h"
#include "commands/snapshots_command.h"
#include "commands/type_command.h"
#include "commands/update_catalog_command.h"
#include "platform/system_root.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

const QString systemRootOption = u"system-root"_s;
const QString systemRootVariable = u"TESSIK_SYSTEM_ROOT"_s;

// The command word: the first argument that is neither an option nor the value of --system-root.
qsizetype commandIndex(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == u"--system-root"_s) {
            ++i;
            continue;
        }
        if (!argument.startsWith(u'-'))
            return i;
    }
    return -1;
}

} // namespace

CliApplication::CliApplication()
{
    m_commands.push_back(std::make_unique<AppsCommand>());
    m_commands.push_back(std::make_unique<TypeCommand>());
    m_commands.push_back(std::make_unique<ExtensionsCommand>());
    m_commands.push_back(std::make_unique<GetCommand>());
    m_commands.push_back(std::make_unique<FormatsCommand>());
    m_commands.push_back(std::make_unique<AssociateCommand>());
    m_commands.push_back(std::make_unique<SetCommand>());
    m_commands.push_back(std::make_unique<SnapshotsCommand>());
    m_commands.push_back(std::make_unique<RestoreCommand>());
    m_commands.push_back(std::make_unique<ReportsCommand>());
    m_commands.push_back(std::make_unique<UpdateCatalogCommand>());
}

CliApplication::~CliApplication() = default;

const CliCommand* CliApplication::command(const QString& name) const
{
    for (const auto& command : m_commands)
        if (command->name() == name)
            return command.get();
    return nullptr;
}

QString CliApplication::generalHelp() const
{
    QString help = u"Usage: tessik-cli [--system-root DIR] COMMAND [options]\n\n"
                   "Chooses which application opens each file format.\n\nCommands:\n"_s;
    for (const auto& command : m_commands)
        help += u"  %1  %2\n"_s.arg(command->name(), -14).arg(command->summary());
    help +=
        u"\nOptions:\n  --system-root DIR  the emulated machine to use (default: $%1, else this machine)\n"
        "  -h, --help         show help; \"tessik-cli COMMAND --help\" shows a command's\n"_s.arg(systemRootVariable);
    return help;
}

int CliApplication::run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    CliStreams io{out, err};
    const qsizetype index = commandIndex(arguments);
    if (index < 0) {
        if (arguments.contains(u"--help"_s) || arguments.contains(u"-h"_s)) {
            out << generalHelp();
            return 0;
        }
        err << u"tessik-cli: missing command\n\n"_s << generalHelp();
        return 2;
    }
    const CliCommand* chosen = command(arguments.at(index));
    if (!chosen) {
        err << u"tessik-cli: unknown command “%1”\n\n"_s.arg(arguments.at(index)) << generalHelp();
        return 2;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(chosen->summary());
    const QCommandLineOption helpOption({u"h"_s, u"help"_s}, u"Show this help."_s);
    const QCommandLineOption root(systemRootOption, u"The emulated machine to use."_s, u"dir"_s);
    parser.addOptions({helpOption, root});
    chosen->configure(parser);
    QStringList commandArguments = arguments;
    commandArguments.removeAt(index);

    // Qt names the program by its path; the usage line should show the command as it is typed.
    const QString help =
        parser.helpText().replace(arguments.constFirst() + u' ', u"tessik-cli "_s + chosen->name() + u' ');
    const auto usage = [&](const QString& message) {
        err << u"tessik-cli %1: %2\n\n"_s.arg(chosen->name(), message) << help;
        return 2;
    };
    if (!parser.parse(commandArguments))
        return usage(parser.errorText());
    if (parser.isSet(helpOption)) {
        out << help;
        return 0;
    }

    QString systemRoot = parser.isSet(root) ? parser.value(root) : qEnvironmentVariable(qPrintable(systemRootVariable));
    if (!systemRoot.isEmpty() && !QFileInfo(systemRoot).isDir()) {
        err << u"tessik-cli: the system root “%1” is not a folder\n"_s.arg(systemRoot);
        return 1;
    }
    platform::setSystemRoot(systemRoot);

    try {
        return chosen->execute(parser, io);
    } catch (const UsageError& error) {
        return usage(QString::fromUtf8(error.what()));
    } catch (const std::exception& error) {
        err << u"tessik-cli %1: %2\n"_s.arg(chosen->name(), QString::fromUtf8(error.what()));
        return 1;
    }
}

} // namespace tessik::cli
