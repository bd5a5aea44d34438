#include "associate_command.h"

#include "app/l10n/platform_texts.h"
#include "app/model/catalog_loader.h"
#include "cli/application_finder.h"
#include "cli/terminal_text.h"
#include "core/catalog/custom_association_error.h"
#include "core/catalog/custom_association_store.h"
#include "core/discovery/app_scanner.h"
#include "platform/launch_services.h"

using namespace Qt::StringLiterals;

namespace tessik::cli {

AssociateCommand::AssociateCommand()
    : CliCommand(u"associate"_s,
                 u"Associate an installed application with an extension (EXTENSION BUNDLE_ID) or a content type "
                 "(--type TYPE [--extension EXTENSION] BUNDLE_ID)."_s)
{
}

void AssociateCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"type"_s, u"The format to associate: "_s + targetHelp(), u"target"_s});
    parser.addOption({u"extension"_s, u"With --type: an extension to record with the type."_s, u"extension"_s});
    parser.addPositionalArgument(u"extension"_s, u"Without --type: an extension such as mkk or .mkk."_s);
    parser.addPositionalArgument(u"bundle-id"_s,
                                 PlatformTexts::isMac()
                                     ? u"The bundle identifier of an installed application, or the path of an "
                                       "application bundle anywhere."_s
                                     : u"The desktop file ID of an installed application (such as "
                                       "org.gnome.TextEditor.desktop), or the path of its desktop file."_s);
}

int AssociateCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const bool byType = parser.isSet(u"type"_s);
    if (!byType && parser.isSet(u"extension"_s))
        throw UsageError(L10n::text(u"--extension 只能与 --type 一起使用"_s, io.language));
    const QStringList arguments = requirePositional(parser, byType ? 1 : 2, io.language);
    const QString bundleIdentifier = arguments.constLast();

    QList<InstalledApp> installed = AppScanner().scan();
    const ApplicationFinder::Result found = ApplicationFinder(installed).find(bundleIdentifier);
    const std::optional<InstalledApp>& app = found.app;
    if (app && !installed.contains(*app)) {
        // Registered first, so that the types it declares count when the target is resolved.
        platform::LSRegisterURL(app->url, true);
        installed.append(*app);
    }
    std::optional<QString> type;
    if (byType)
        type = requireTarget(parser.value(u"type"_s), io.language, installed);
    if (!app) {
        io.err << ApplicationFinder::missText(found, bundleIdentifier, io.language) << u'\n';
        return 1;
    }

    CustomAssociation association;
    try {
        association = byType ? CustomAssociation::forType(*type,
                                                          parser.isSet(u"extension"_s)
                                                              ? std::optional<QString>(parser.value(u"extension"_s))
                                                              : std::nullopt,
                                                          *app)
                             : CustomAssociation::forExtension(arguments.constFirst(), *app);
    } catch (const CustomAssociationError& error) {
        io.err << L10n::error(error, io.language) << u'\n';
        return 1;
    }

    const CustomAssociationStore store;
    try {
        const QList<CustomAssociation> stored = store.load();
        const bool known = stored.contains(association);
        CatalogLoader::persist(store, association);
        const L10n::Values values{{u"extension"_s, association.fileExtension.isEmpty()
                                                       ? L10n::text(u"（无扩展名）"_s, io.language)
                                                       : u'.' + association.fileExtension},
                                  {u"type"_s, association.typeIdentifier},
                                  {u"app"_s, TerminalText::escaped(app->name)},
                                  {u"id"_s, TerminalText::escaped(app->bundleIdentifier)}};
        io.out << (known ? L10n::text(u"此关联已保存过：{extension} → {type} → {app}（{id}）"_s, io.language, values)
                         : L10n::text(u"已保存关联：{extension} → {type} → {app}（{id}）"_s, io.language, values))
               << u'\n' << L10n::text(u"文件：{path}"_s, io.language, {{u"path"_s, store.fileURL().toLocalFile()}})
               << u'\n';
    } catch (const std::exception& error) {
        io.err << L10n::text(u"无法保存自定义关联：{reason}"_s, io.language,
                             {{u"reason"_s, L10n::error(error, io.language)}})
               << u'\n';
        return 1;
    }
    return 0;
}

} // namespace tessik::cli
