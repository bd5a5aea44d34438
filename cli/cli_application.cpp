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
#include "commands/why_command.h"
#include "platform/bundle.h"
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

// Without a command word, the first option that tessik-cli itself does not take (a command's options are its
// parser's to judge).
std::optional<QString> unknownGlobalOption(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const QString name = argument.section(u'=', 0, 0);
        if (name == u"--"_s + systemRootOption || name == u"--"_s + languageOption) {
            i += argument.contains(u'=') ? 0 : 1;
            continue;
        }
        if (argument != u"-h"_s && argument != u"--help"_s && argument != u"--version"_s)
            return argument;
    }
    return std::nullopt;
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
    m_commands.push_back(std::make_unique<WhyCommand>());
}

CliApplication::~CliApplication() = default;

QString CliApplication::version()
{
    // The version the program's information dictionary carries, as the desktop program's About panel shows it.
    return platform::Bundle::mainBundle().infoDictionary().value(u"CFBundleShortVersionString"_s).toString();
}

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
    help += u"\nOptions:\n  --system-root DIR  the emulated machine to use (default: $%1, else this machine)\n"
            "  --language CODE    the language of messages: zh, en, fr, de, es, ja or ko (default: the program’s\n"
            "                     setting, else LANGUAGE, LC_ALL, LC_MESSAGES or LANG, else en)\n"
            "  --version          print the version\n"
            "  -h, --help         show this help; “tessik-cli help COMMAND” or “tessik-cli COMMAND --help” shows a\n"
            "                     command’s arguments and options\n"_s.arg(systemRootVariable);
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
        if (const auto unknown = unknownGlobalOption(arguments)) {
            err << u"tessik-cli: "_s << L10n::text(u"未知选项“{option}”"_s, io.language, {{u"option"_s, *unknown}})
                << u"\n\n"_s << generalHelp();
            return 2;
        }
        if (arguments.contains(u"--version"_s)) {
            out << u"tessik-cli "_s << version() << u'\n';
            return 0;
        }
        if (arguments.contains(u"--help"_s) || arguments.contains(u"-h"_s)) {
            out << generalHelp();
            return 0;
        }
        err << u"tessik-cli: "_s << L10n::text(u"缺少命令"_s, io.language) << u"\n\n"_s << generalHelp();
        return 2;
    }
    QStringList effective = arguments;
    // "help COMMAND" is "COMMAND --help"; "help" alone is the general help.
    if (arguments.at(index) == u"help"_s) {
        const qsizetype topic = commandIndex(QStringList(arguments.mid(index)));
        if (topic < 0) {
            out << generalHelp();
            return 0;
        }
        effective = arguments.mid(0, index) + arguments.mid(index + topic, 1) + QStringList{u"--help"_s};
    }
    const CliCommand* chosen = command(effective.at(index));
    if (!chosen) {
        err << u"tessik-cli: "_s
            << L10n::text(u"未知命令“{command}”"_s, io.language, {{u"command"_s, effective.at(index)}}) << u"\n\n"_s
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
    QStringList commandArguments = effective;
    commandArguments.removeAt(index);

    // Qt names the program by its path; the usage line should show the command as it is typed.
    const QString help =
        parser.helpText().replace(effective.constFirst() + u' ', u"tessik-cli "_s + chosen->name() + u' ');
    const auto usage = [&](const QString& message) {
        err << u"tessik-cli %1: %2\n\n"_s.arg(chosen->name(), message) << help;
        return 2;
    };
    if (!parser.parse(commandArguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().constFirst();
            return usage(L10n::text(u"未知选项“{option}”"_s, io.language,
                                    {{u"option"_s, (name.size() == 1 ? u"-"_s : u"--"_s) + name}}));
        }
        // Qt's own words for a missing or unexpected value.
        return usage(parser.errorText());
    }
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
