#include "associate_command.h"

#include "app/l10n/platform_texts.h"
#include "app/model/catalog_loader.h"
#include "core/catalog/custom_association_error.h"
#include "core/catalog/custom_association_store.h"
#include "core/discovery/app_scanner.h"
#include "core/services/target_type_resolver.h"
#include "platform/launch_services.h"

#include <QFileInfo>

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
    parser.addOption({u"type"_s, u"The content type to associate; it must be known."_s, u"type"_s});
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

    std::optional<InstalledApp> app;
    QList<InstalledApp> installed = AppScanner().scan();
    // Bundle identifiers never hold a slash; paths do.
    if (bundleIdentifier.contains(u'/')) {
        app = AppScanner().installedApp(QUrl::fromLocalFile(QFileInfo(bundleIdentifier).absoluteFilePath()));
        if (!app) {
            const L10n::Values path{{u"path"_s, bundleIdentifier}};
            io.err << (PlatformTexts::isMac() ? L10n::text(u"{path} 处没有应用程序包。"_s, io.language, path)
                                              : L10n::text(u"{path} 处没有已安装应用的桌面文件。"_s, io.language, path))
                   << u'\n';
            return 1;
        }
        // Registered first, so that the types it declares count when the target is resolved.
        platform::LSRegisterURL(app->url, true);
        installed.append(*app);
    } else {
        for (const InstalledApp& candidate : installed)
            if (candidate.bundleIdentifier == bundleIdentifier)
                app = candidate;
    }
    std::optional<QString> type;
    if (byType) {
        type = TargetTypeResolver(installed).knownType(parser.value(u"type"_s));
        if (!type)
            throw UsageError(
                L10n::text(u"“{type}”不是已知的内容类型"_s, io.language, {{u"type"_s, parser.value(u"type"_s)}}));
    }
    if (!app) {
        io.err << PlatformTexts::noInstalledApp(bundleIdentifier, io.language) << u'\n';
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
                                  {u"app"_s, app->name},
                                  {u"id"_s, app->bundleIdentifier}};
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
