#include "cli_application.h"

#include "app/l10n/app_language.h"
#include "cli_language.h"
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
#include "platform/user_defaults.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

const QString systemRootOption = u"system-root"_s;
const QString languageOption = u"language"_s;
const QString systemRootVariable = u"TESSIK_SYSTEM_ROOT"_s;

// The command word: the first argument that is neither an option nor the value of a global option.
qsizetype commandIndex(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == u"--"_s + systemRootOption || argument == u"--"_s + languageOption) {
            ++i;
            continue;
        }
        if (!argument.startsWith(u'-'))
            return i;
    }
    return -1;
}

// A global option's value ("--name value" or "--name=value", the last one counting as for the parser), needed
// before the command's own parser exists.
std::optional<QString> globalOption(const QStringList& arguments, const QString& name)
{
    const QString flag = u"--"_s + name;
    std::optional<QString> value;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == flag && i + 1 < arguments.size())
            value = arguments.at(++i);
        else if (argument.startsWith(flag + u'='))
            value = argument.mid(flag.size() + 1);
    }
    return value;
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
    QString help = u"Usage: tessik-cli [--system-root DIR] [--language CODE] COMMAND [options]\n\n"
                   "Chooses which application opens each file format.\n\nCommands:\n"_s;
    for (const auto& command : m_commands)
        help += u"  %1  %2\n"_s.arg(command->name(), -14).arg(command->summary());
    help +=
        u"\nOptions:\n  --system-root DIR  the emulated machine to use (default: $%1, else this machine)\n"
        "  --language CODE    the language of messages: zh, en, fr, de, es, ja or ko (default: the program's\n"
        "                     setting, else the locale of LC_ALL, LC_MESSAGES or LANG, else en)\n"
        "  -h, --help         show help; \"tessik-cli COMMAND --help\" shows a command's\n"_s.arg(systemRootVariable);
    return help;
}

int CliApplication::run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    // Even a message about the command line is in the user's language, and the chosen machine's stored setting
    // can decide it: both global options are read before any parser.
    const QString systemRoot =
        globalOption(arguments, systemRootOption).value_or(qEnvironmentVariable(qPrintable(systemRootVariable)));
    const bool rootIsFolder = systemRoot.isEmpty() || QFileInfo(systemRoot).isDir();
    if (rootIsFolder)
        platform::setSystemRoot(systemRoot);
    const QVariant stored = rootIsFolder ? platform::UserDefaults::objectForKey(AppLanguage::defaultsKey) : QVariant();
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const std::optional<QString> language =
        CliLanguage::choose(globalOption(arguments, languageOption), stored, environment);
    CliStreams io{out, err, language.value_or(CliLanguage::choose(std::nullopt, stored, environment).value())};
    if (!language) {
        err << u"tessik-cli: "_s
            << L10n::text(u"不支持的语言“{code}”，请使用 zh、en、fr、de、es、ja 或 ko。"_s, io.language,
                          {{u"code"_s, *globalOption(arguments, languageOption)}})
            << u"\n\n"_s << generalHelp();
        return 2;
    }

    const qsizetype index = commandIndex(arguments);
    if (index < 0) {
        if (arguments.contains(u"--help"_s) || arguments.contains(u"-h"_s)) {
            out << generalHelp();
            return 0;
        }
        err << u"tessik-cli: "_s << L10n::text(u"缺少命令"_s, io.language) << u"\n\n"_s << generalHelp();
        return 2;
    }
    const CliCommand* chosen = command(arguments.at(index));
    if (!chosen) {
        err << u"tessik-cli: "_s
            << L10n::text(u"未知命令“{command}”"_s, io.language, {{u"command"_s, arguments.at(index)}}) << u"\n\n"_s
            << generalHelp();
        return 2;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(chosen->summary());
    const QCommandLineOption helpOption({u"h"_s, u"help"_s}, u"Show this help."_s);
    const QCommandLineOption root(systemRootOption, u"The emulated machine to use."_s, u"dir"_s);
    const QCommandLineOption languageCode(languageOption, u"The language of messages: zh, en, fr, de, es, ja or ko."_s,
                                          u"code"_s);
    parser.addOptions({helpOption, root, languageCode});
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
    // Qt's own parser errors are English whatever the language.
    if (!parser.parse(commandArguments))
        return usage(parser.errorText());
    if (parser.isSet(helpOption)) {
        out << help;
        return 0;
    }

    if (!rootIsFolder) {
        err << u"tessik-cli: "_s
            << L10n::text(u"系统根目录“{path}”不是文件夹。"_s, io.language, {{u"path"_s, systemRoot}}) << u'\n';
        return 1;
    }

    try {
        return chosen->execute(parser, io);
    } catch (const UsageError& error) {
        return usage(QString::fromUtf8(error.what()));
    } catch (const std::exception& error) {
        err << u"tessik-cli %1: %2\n"_s.arg(chosen->name(), L10n::error(error, io.language));
        return 1;
    }
}

} // namespace tessik::cli
