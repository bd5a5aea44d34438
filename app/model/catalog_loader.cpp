#include "catalog_loader.h"

#include "app/update/format_catalog_updater.h"
#include "core/catalog/association_catalog_builder.h"
#include "core/discovery/app_scanner.h"
#include "core/services/launch_services_association_reader.h"
#include "platform/launch_services.h"

#include <QSet>
#include <QtConcurrent/QtConcurrentRun>
#include <QThread>

namespace tessik {

FormatKnowledgeBase CatalogLoader::chooseKnowledge(const std::optional<FormatKnowledgeBase>& current)
{
    if (current)
        return *current;
    if (auto downloaded = FormatCatalogUpdater::loadCached(FormatCatalogUpdater::defaultConfiguration().cacheURL))
        return *downloaded;
    return FormatKnowledgeBase::bundled();
}

QFuture<AppScanner::Result> CatalogLoader::startScan()
{
    // Its own pool: the global one may be busy with the interface's start, and a refresh waiting for the scan
    // must not be the thread the scan waits for.
    static QThreadPool scanPool;
    scanPool.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
    return QtConcurrent::run(&scanPool, [] { return AppScanner().scanWithCapabilities(&scanPool); });
}

LoadedCatalog CatalogLoader::load(const QList<CustomAssociation>& custom, const FormatKnowledgeBase& knowledge,
                                  QThreadPool* pool, std::optional<QFuture<AppScanner::Result>> started)
{
    AppScanner::Result scanned = started ? started->result() : AppScanner().scanWithCapabilities(pool);
    LoadedCatalog loaded;
    loaded.apps = withCustomApps(std::move(scanned.apps), custom);
    loaded.suggestions = knowledge.suggestions(loaded.apps);
    loaded.associations = buildAssociations(loaded.apps, custom, loaded.suggestions, scanned.capabilities);
    return loaded;
}

QList<InstalledApp> CatalogLoader::withCustomApps(QList<InstalledApp> apps, const QList<CustomAssociation>& custom)
{
    const AppScanner scanner;
    QSet<QString> known;
    for (const InstalledApp& app : apps)
        known.insert(app.id());
    for (const CustomAssociation& association : custom) {
        if (known.contains(association.app.id()))
            continue;
        // An application outside the application folders, remembered from where the user picked it.
        if (auto app = scanner.installedApp(association.app.url)) {
            platform::LSRegisterURL(app->url, true);
            known.insert(app->id());
            apps.append(std::move(*app));
        }
    }
    sortByName(apps);
    return apps;
}

QHash<QString, QStringList> CatalogLoader::knownExtensions(const QList<InstalledApp>& apps,
                                                           const QList<CustomAssociation>& custom,
                                                           const FormatKnowledgeBase& knowledge,
                                                           const QHash<QUrl, QList<TypeCapability>>& declared,
                                                           const QStringList& types)
{
    return AssociationCatalogBuilder::extensions(apps, custom, knowledge.suggestions(apps), declared, types);
}

QList<FileAssociation> CatalogLoader::buildAssociations(const QList<InstalledApp>& apps,
                                                        const QList<CustomAssociation>& custom,
                                                        const QList<CatalogSuggestion>& suggestions,
                                                        const QHash<QUrl, QList<TypeCapability>>& declared)
{
    const AssociationCatalogBuilder builder(std::make_shared<LaunchServicesAssociationReader>());
    return builder.build(apps, custom, suggestions, declared);
}

QList<CustomAssociation> CatalogLoader::persist(const CustomAssociationStore& store,
                                                const CustomAssociation& association)
{
    // Another program may have stored one since this program read the list.
    QList<CustomAssociation> stored = store.add(association);
    // Launch Services must know the application for a default naming it to take. Failing that, the next
    // refresh registers it again.
    platform::LSRegisterURL(association.app.url, true);
    return stored;
}

} // namespace tessik
