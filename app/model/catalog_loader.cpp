#include "catalog_loader.h"

#include "app/update/format_catalog_updater.h"
#include "core/catalog/association_catalog_builder.h"
#include "core/discovery/app_scanner.h"
#include "core/services/launch_services_association_reader.h"
#include "core/support/start_timeline.h"
#include "platform/launch_services.h"
#include "platform/uniform_type.h"

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

QThreadPool* CatalogLoader::startPool()
{
    // Its own pool: the global one may be busy with the interface's start, and a refresh waiting for the scan
    // must not be the thread the scan waits for.
    static QThreadPool pool;
    pool.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
    return &pool;
}

CatalogLoader::StartedScan CatalogLoader::startScan()
{
    return runAttempt(startPool(), [] { return AppScanner().scanWithCapabilities(startPool()); });
}

LoadedCatalog CatalogLoader::load(const QList<CustomAssociation>& custom, const FormatKnowledgeBase& knowledge,
                                  QThreadPool* pool, std::optional<StartedScan> started)
{
    AppScanner::Result scanned;
    if (started) {
        Attempt<AppScanner::Result> attempt = started->result();
        if (attempt.error)
            std::rethrow_exception(attempt.error);
        scanned = std::move(*attempt.value);
    } else {
        scanned = AppScanner().scanWithCapabilities(pool);
    }
    markStart("catalog started");
    // The first refresh of a program, which its window waits for, has the threads of its start to itself.
    QThreadPool* helpers = started ? startPool() : pool;
    // The first type lookup reads the system's type and handler registry, from the bundles just read; the
    // suggestions and the joining of formats below need none of it, so it is read beside them.
    const auto readRegistry = [] {
        try {
            platform::UTType::data();
        } catch (...) {
            // The catalog's own lookups meet the same failure and report it.
        }
    };
    QFuture<void> registry = helpers ? QtConcurrent::run(helpers, readRegistry) : QtFuture::makeReadyFuture();
    LoadedCatalog loaded;
    loaded.apps = withCustomApps(std::move(scanned.apps), custom);
    loaded.suggestions = knowledge.suggestions(loaded.apps);
    loaded.associations = buildAssociations(loaded.apps, custom, loaded.suggestions, scanned.capabilities, helpers);
    markStart("catalog built");
    registry.waitForFinished();
    return loaded;
}

CatalogLoader::FirstLoad CatalogLoader::loadFirst(const QList<CustomAssociation>& custom)
{
    StartedScan scan = startScan();
    // The scan is not left running on its own: the program may end as soon as this throws.
    const auto knowledge = [&] {
        try {
            return chooseKnowledge(std::nullopt);
        } catch (...) {
            scan.waitForFinished();
            throw;
        }
    }();
    LoadedCatalog catalog = load(custom, knowledge, QThreadPool::globalInstance(), std::move(scan));
    return {knowledge, std::move(catalog)};
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
                                                        const QHash<QUrl, QList<TypeCapability>>& declared,
                                                        QThreadPool* pool)
{
    const AssociationCatalogBuilder builder(std::make_shared<LaunchServicesAssociationReader>());
    return builder.build(apps, custom, suggestions, declared, pool);
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
