#include "export_command.h"

#include "app/model/catalog_loader.h"
#include "cli/terminal_text.h"
#include "core/carry/defaults_export.h"
#include "core/carry/defaults_file.h"
#include "core/catalog/custom_association_store.h"
#include "core/discovery/app_scanner.h"
#include "core/support/iso_date.h"
#include "core/support/json_file.h"
#include "platform/launch_services.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace tessik::cli {

ExportCommand::ExportCommand()
    : CliCommand(u"export"_s,
                 u"Write the defaults chosen on this machine (content types and URL schemes, per role) to a JSON file "
                 "that import reads; --all adds the defaults in effect for the catalog’s formats."_s)
{
}

void ExportCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"all"_s, u"Also write the defaults in effect for the catalog’s formats where none was "
                                "chosen (marked \"explicit\": false)."_s});
    parser.addPositionalArgument(u"file"_s, u"Where to write (replaced whole); standard output when left out or -."_s,
                                 u"[file]"_s);
}

int ExportCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() > 1)
        requirePositional(parser, 1, io.language);
    const QString file = arguments.value(0, u"-"_s);

    const QList<platform::StoredHandler> stored = platform::LSCopyStoredHandlers();
    QList<CarriedDefault> defaults;
    if (parser.isSet(u"all"_s)) {
        const LoadedCatalog catalog = CatalogLoader::loadFirst(CustomAssociationStore().load()).catalog;
        defaults = DefaultsExport::collect(stored, catalog.apps, catalog.associations);
    } else {
        defaults = DefaultsExport::collect(stored, AppScanner().scan());
    }
    const QJsonDocument document = DefaultsFile::toJson(defaults, IsoDate::now());
    if (file == u"-"_s) {
        printJson(io.out, document);
        return 0;
    }
    const QString path = QDir::current().absoluteFilePath(file);
    JsonFile::write(document, QUrl::fromLocalFile(path));
    io.out << L10n::text(u"已将 {count} 个默认应用导出到 {path}"_s, io.language,
                         {{u"count"_s, QString::number(defaults.size())}, {u"path"_s, TerminalText::escaped(path)}})
           << u'\n';
    return 0;
}

} // namespace tessik::cli
