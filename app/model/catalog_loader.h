#pragma once

#include "app/model/background_task.h"
#include "core/catalog/catalog_suggestion.h"
#include "core/catalog/custom_association.h"
#include "core/catalog/custom_association_store.h"
#include "core/catalog/format_knowledge_base.h"
#include "core/discovery/app_scanner.h"
#include "core/records/file_association.h"
#include "core/records/type_capability.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QThreadPool>

#include <optional>

namespace tessik {

// What one refresh finds: the applications, the suggestions for them and the catalog.
struct LoadedCatalog
{
    QList<InstalledApp> apps;
    QList<CatalogSuggestion> suggestions;
    QList<FileAssociation> associations;
};

// The background half of a refresh, shared by the program and the command line so that they always agree.
class CatalogLoader
{
public:
    // The knowledge base a refresh uses: the one already held, else the downloaded copy when it loads and
    // validates, else the shipped catalog.
    // Throws what loading the shipped catalog throws.
    static FormatKnowledgeBase chooseKnowledge(const std::optional<FormatKnowledgeBase>& current);

    // Starts scanning the application folders at once, on threads of its own, so that a program can read the
    // bundles while it builds its interface; a refresh takes the result up with load(). The system root must be
    // set first.
    using StartedScan = QFuture<Attempt<AppScanner::Result>>;
    static StartedScan startScan();
    // The threads of that scan, which the refresh taking it up uses too.
    static QThreadPool* startPool();

    // Scans the applications, adds (and registers) those known only from custom associations, sorts them, derives the
    // suggestions and builds the catalog over the system's current handlers. Blocking; run it off the
    // interface thread. Bundles are read on the pool too (see AppScanner::scan); a scan already started is waited
    // for instead, and the start's threads then do the pool's part of the rest: reading the type registry beside
    // the joining of formats, and the types' rows. Throws what the scan or the handler reads throw.
    static LoadedCatalog load(const QList<CustomAssociation>& custom, const FormatKnowledgeBase& knowledge,
                              QThreadPool* pool = QThreadPool::globalInstance(),
                              std::optional<StartedScan> started = std::nullopt);

    // A program's one refresh: the knowledge base chosen (by chooseKnowledge) while the bundles are read, then the
    // catalog over it. Throws what either throws.
    struct FirstLoad
    {
        FormatKnowledgeBase knowledge;
        LoadedCatalog catalog;
    };
    static FirstLoad loadFirst(const QList<CustomAssociation>& custom);

    // The applications of a scan joined by those known only from custom associations (registered with Launch
    // Services), sorted by name, as `load` lists them.
    static QList<InstalledApp> withCustomApps(QList<InstalledApp> apps, const QList<CustomAssociation>& custom);

    // The extensions the catalog of these applications lists for each of the types, as `load` would give them,
    // without building the catalog or reading any handler: what a plan of changes to the types needs.
    static QHash<QString, QStringList> knownExtensions(const QList<InstalledApp>& apps,
                                                       const QList<CustomAssociation>& custom,
                                                       const FormatKnowledgeBase& knowledge,
                                                       const QHash<QUrl, QList<TypeCapability>>& declared,
                                                       const QStringList& types);

    // The catalog again for known applications and suggestions (after changes were applied).
    static QList<FileAssociation> buildAssociations(const QList<InstalledApp>& apps,
                                                    const QList<CustomAssociation>& custom,
                                                    const QList<CatalogSuggestion>& suggestions,
                                                    const QHash<QUrl, QList<TypeCapability>>& declared = {},
                                                    QThreadPool* pool = nullptr);

    // Adds one association to the stored list as it is on disk, as the user adds it: no duplicate, the whole
    // list saved; the application is registered with Launch Services.
    // Returns the new list; throws what saving throws, and the stored file is then as it was.
    static QList<CustomAssociation> persist(const CustomAssociationStore& store, const CustomAssociation& association);
};

} // namespace tessik
