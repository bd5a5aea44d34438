#include "import_command.h"

#include "app/l10n/carry_texts.h"
#include "app/model/change_applier.h"
#include "cli/change_runner.h"
#include "cli/terminal_text.h"
#include "core/carry/defaults_file.h"
#include "core/carry/defaults_import.h"
#include "core/discovery/app_scanner.h"
#include "core/services/type_resolver.h"
#include "platform/file_manager.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

QByteArray readInput(const QString& file)
{
    if (file != u"-"_s)
        return platform::FileManager::contentsOfFile(QUrl::fromLocalFile(QDir::current().absoluteFilePath(file)));
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return {};
    return input.readAll();
}

QJsonObject changeRow(const QString& type, AssociationRole role, const QString& target,
                      const std::optional<QString>& previous)
{
    return {{u"typeIdentifier"_s, type},
            {u"role"_s, rawValue(role)},
            {u"bundleIdentifier"_s, target},
            {u"previousBundleIdentifier"_s, previous ? QJsonValue(*previous) : QJsonValue()}};
}

} // namespace

ImportCommand::ImportCommand()
    : CliCommand(u"import"_s,
                 u"Make the defaults of a file written by export, or of lines BUNDLE_ID FORMAT ROLE, this machine’s "
                 "as one plan; applications that are not installed are listed and skipped. With --check nothing "
                 "changes: exit status 0 when the machine already matches, 3 when it would change something."_s)
{
}

void ImportCommand::configure(QCommandLineParser& parser) const
{
    ChangeRunner::addChangeOptions(parser);
    parser.addOption({u"check"_s, u"Change nothing; exit with 0 when the machine already matches the file and with 3 "
                                  "when importing it would change something."_s});
    parser.addPositionalArgument(
        u"file"_s,
        u"A JSON file from export, or lines “BUNDLE_ID  FORMAT  ROLE” (FORMAT a content type, .EXT or a URL scheme; "
        "ROLE all, viewer, editor or shell; # starts a comment); - reads standard input."_s);
}

int ImportCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QString file = requirePositional(parser, 1, io.language).constFirst();
    const ChangeRunner runner(io, parser);
    const bool json = parser.isSet(u"json"_s);
    // Read whole before anything else: a file that does not read changes nothing.
    const QList<CarriedDefault> defaults = DefaultsFile::parse(readInput(file));

    const AppScanner::Result scanned = AppScanner().scanWithCapabilities();
    const DefaultsImport::Prepared prepared =
        DefaultsImport::prepare(defaults, scanned.apps, [resolver = TypeResolver()](const QString& extension) {
            return resolver.typeIdentifier(extension);
        });
    QJsonArray skipped;
    for (const DefaultsImport::Skipped& entry : prepared.skipped) {
        io.err << L10n::text(u"跳过  {what}"_s, io.language,
                             {{u"what"_s, TerminalText::escaped(CarryTexts::skipped(entry, io.language))}})
               << u'\n';
        skipped.append(QJsonObject{{u"entry"_s, CarryTexts::entry(entry.entry)}, {u"line"_s, entry.entry.line}});
    }

    if (!parser.isSet(u"check"_s)) {
        if (prepared.requests.isEmpty()) {
            if (json)
                printJson(io.out, QJsonObject{{u"changes"_s, QJsonArray()}});
            else
                io.out << L10n::text(u"文件中没有可在此电脑上设置的默认应用。"_s, io.language) << u'\n';
            return 0;
        }
        return runner.run(prepared.requests, scanned);
    }

    const ChangePlan plan = ChangeApplier::plan(prepared.requests, {});
    QJsonArray changes;
    for (const AssociationChange& change : plan.changes) {
        changes.append(changeRow(change.typeIdentifier, change.role, change.targetBundleIdentifier,
                                 change.previousBundleIdentifier));
        if (!json)
            io.out << L10n::text(u"将更改  {change} → {app}（现为 {previous}）"_s, io.language,
                                 {{u"change"_s, change.id()},
                                  {u"app"_s, TerminalText::escaped(change.targetBundleIdentifier)},
                                  {u"previous"_s, TerminalText::escaped(change.previousBundleIdentifier.value_or(
                                                      L10n::text(u"未设置"_s, io.language)))}})
                   << u'\n';
    }
    if (json)
        printJson(
            io.out,
            QJsonObject{{u"matches"_s, plan.changes.isEmpty()}, {u"changes"_s, changes}, {u"skipped"_s, skipped}});
    else if (plan.changes.isEmpty())
        io.out << L10n::text(u"此电脑的默认应用已与文件一致。"_s, io.language) << u'\n';
    return plan.changes.isEmpty() ? 0 : wouldChangeStatus;
}

} // namespace tessik::cli
