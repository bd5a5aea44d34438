#include "associate_command.h"

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
    parser.addPositionalArgument(u"bundle-id"_s, u"The bundle identifier of an installed application, or the path "
                                                 "of an application bundle anywhere."_s);
}

int AssociateCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    const bool byType = parser.isSet(u"type"_s);
    if (!byType && parser.isSet(u"extension"_s))
        throw UsageError(u"--extension goes with --type"_s);
    const QStringList arguments = requirePositional(parser, byType ? 1 : 2);
    const QString bundleIdentifier = arguments.constLast();

    std::optional<InstalledApp> app;
    QList<InstalledApp> installed = AppScanner().scan();
    // Bundle identifiers never hold a slash; paths do.
    if (bundleIdentifier.contains(u'/')) {
        app = AppScanner().installedApp(QUrl::fromLocalFile(QFileInfo(bundleIdentifier).absoluteFilePath()));
        if (!app) {
            io.err << u"No application bundle is at %1.\n"_s.arg(bundleIdentifier);
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
            throw UsageError(u"“%1” is not a known content type"_s.arg(parser.value(u"type"_s)));
    }
    if (!app) {
        io.err << u"No installed application has the bundle identifier %1.\n"_s.arg(bundleIdentifier);
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
        io.err << error.message() << u'\n';
        return 1;
    }

    const CustomAssociationStore store;
    try {
        const QList<CustomAssociation> stored = store.load();
        const bool known = stored.contains(association);
        CatalogLoader::persist(store, stored, association);
        io.out << (known ? u"Already stored: "_s : u"Stored: "_s)
               << (association.fileExtension.isEmpty() ? u"(no extension)"_s : u'.' + association.fileExtension)
               << u" → "_s << association.typeIdentifier << u" → "_s << app->name << u" ("_s << app->bundleIdentifier
               << u")\n"_s << u"in "_s << store.fileURL().toLocalFile() << u'\n';
    } catch (const std::exception& error) {
        io.err << u"The custom associations could not be saved: %1\n"_s.arg(QString::fromUtf8(error.what()));
        return 1;
    }
    return 0;
}

} // namespace tessik::cli
