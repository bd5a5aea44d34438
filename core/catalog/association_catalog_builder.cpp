#include "association_catalog_builder.h"

#include "core/catalog/custom_association_error.h"
#include "core/discovery/capability_parser.h"
#include "core/services/type_resolver.h"
#include "core/support/plain_order.h"
#include "core/support/pool_work.h"
#include "platform/lookup_batch.h"
#include "platform/uniform_type.h"

#include <QHash>
#include <QSet>

#include <utility>

using namespace Qt::StringLiterals;

namespace tessik {
AssociationCatalogBuilder::AssociationCatalogBuilder(std::shared_ptr<const AssociationReading> reader)
    : m_reader(std::move(reader))
{
}

const QStringList& AssociationCatalogBuilder::cameraRawExtensions()
{
    static const QStringList extensions{u"3fr"_s, u"arw"_s, u"cr2"_s, u"cr3"_s, u"crw"_s, u"dng"_s, u"fff"_s, u"iiq"_s,
                                        u"nef"_s, u"nrw"_s, u"orf"_s, u"pef"_s, u"raf"_s, u"rw2"_s, u"rwl"_s, u"srw"_s};
    return extensions;
}

// What the catalog joins, by type, before any handler is read.
struct AssociationCatalogBuilder::Joined
{
    // By type and identifier; each points into the lists the catalog is built from, which outlive it.
    QHash<QString, QHash<QString, const InstalledApp*>> appsByType;
    QHash<QString, QSet<QString>> extensionsByType;
    QHash<QString, QSet<QString>> suggestedByType;

    // The type's extensions: those collected, then those the type database lists.
    QStringList extensions(const QString& type) const
    {
        const QSet<QString> collected = extensionsByType.value(type);
        return sortedUniquePlain(QStringList(collected.begin(), collected.end()) + TypeResolver().extensions(type));
    }
};

AssociationCatalogBuilder::Joined AssociationCatalogBuilder::join(const QList<InstalledApp>& apps,
                                                                  const QList<CustomAssociation>& customAssociations,
                                                                  const QList<CatalogSuggestion>& suggestions,
                                                                  const QHash<QUrl, QList<TypeCapability>>& declared)
{
    // The list holds each identifier once; should it not, the first occurrence counts.
    QHash<QString, const InstalledApp*> appsByID;
    for (const InstalledApp& app : apps)
        if (!appsByID.contains(app.id()))
            appsByID.insert(app.id(), &app);
    Joined joined;
    auto& appsByType = joined.appsByType;
    auto& extensionsByType = joined.extensionsByType;
    auto& suggestedByType = joined.suggestedByType;

    const CapabilityParser parser;
    for (const InstalledApp& app : apps) {
        for (const QString& type : app.supportedTypeIdentifiers)
            appsByType[type].insert(app.id(), &app);
        const auto known = declared.constFind(app.url);
        for (const TypeCapability& capability : known != declared.cend() ? *known : parser.parse(app.url)) {
            for (const QString& extension : capability.extensions) {
                // Only a valid extension creates the type's entry: an empty one keeps the abstract raw row.
                QString normalized;
                try {
                    normalized = TypeResolver::normalize(extension);
                } catch (const CustomAssociationError&) {
                    continue;
                }
                extensionsByType[capability.typeIdentifier].insert(normalized);
            }
        }
    }

    const QString cameraRawType = platform::UTType::cameraRawImage().identifier();
    QList<const InstalledApp*> rawViewers;
    for (const InstalledApp& app : apps)
        if (app.supportedTypeIdentifiers.contains(cameraRawType))
            rawViewers.append(&app);
    for (const QString& extension : cameraRawExtensions()) {
        const auto type = platform::UTType::typeWithFilenameExtension(extension, platform::UTType::data());
        if (!type || !type->conformsTo(platform::UTType::cameraRawImage()))
            continue;
        extensionsByType[type->identifier()].insert(extension);
        for (const InstalledApp* viewer : rawViewers)
            appsByType[type->identifier()].insert(viewer->id(), viewer);
    }
    // Viewers of the abstract raw type are listed under each concrete raw format instead.
    if (!rawViewers.isEmpty() && !extensionsByType.contains(cameraRawType))
        appsByType.remove(cameraRawType);

    for (const CustomAssociation& custom : customAssociations) {
        const auto scanned = appsByID.constFind(custom.app.id());
        if (scanned == appsByID.cend())
            continue;
        appsByType[custom.typeIdentifier].insert((*scanned)->id(), *scanned);
        if (!custom.fileExtension.isEmpty())
            extensionsByType[custom.typeIdentifier].insert(custom.fileExtension);
    }

    for (const CatalogSuggestion& suggestion : suggestions) {
        appsByType[suggestion.typeIdentifier].insert(suggestion.app.id(), &suggestion.app);
        extensionsByType[suggestion.typeIdentifier].insert(suggestion.fileExtension);
        suggestedByType[suggestion.typeIdentifier].insert(suggestion.app.id());
    }
    return joined;
}

QList<FileAssociation> AssociationCatalogBuilder::build(const QList<InstalledApp>& apps,
                                                        const QList<CustomAssociation>& customAssociations,
                                                        const QList<CatalogSuggestion>& suggestions,
                                                        const QHash<QUrl, QList<TypeCapability>>& declared,
                                                        QThreadPool* pool) const
{
    const Joined joined = join(apps, customAssociations, suggestions, declared);
    QStringList types = joined.appsByType.keys();
    sortPlain(types);
    // Every type and role from one reading of the handlers, whichever thread asks.
    const platform::LookupBatch batch;
    const quint64 batchNumber = platform::LookupBatch::current();
    QList<FileAssociation> catalog(types.size());
    // Detached once here, so that no thread below asks whether it must.
    FileAssociation* const rows = catalog.data();
    runOnPool(pool, types.size(), [&](qsizetype i) {
        const platform::LookupBatch helper(batchNumber);
        const QString& type = std::as_const(types)[i];
        FileAssociation& association = rows[i];
        association.typeIdentifier = type;
        const QHash<QString, const InstalledApp*> capable = joined.appsByType.value(type);
        association.capableApps.reserve(capable.size());
        for (const InstalledApp* app : capable)
            association.capableApps.append(*app);
        sortByName(association.capableApps);
        for (AssociationRole role :
             {AssociationRole::all, AssociationRole::viewer, AssociationRole::editor, AssociationRole::shell}) {
            if (const auto handler = m_reader->defaultHandler(type, role))
                association.defaultHandlers.insert(role, *handler);
        }
        association.extensions = joined.extensions(type);
        const QSet<QString> suggested = joined.suggestedByType.value(type);
        association.suggestedAppIDs = sortedUniquePlain(QStringList(suggested.begin(), suggested.end()));
    });
    return catalog;
}

QHash<QString, QStringList> AssociationCatalogBuilder::extensions(const QList<InstalledApp>& apps,
                                                                  const QList<CustomAssociation>& customAssociations,
                                                                  const QList<CatalogSuggestion>& suggestions,
                                                                  const QHash<QUrl, QList<TypeCapability>>& declared,
                                                                  const QStringList& types)
{
    const Joined joined = join(apps, customAssociations, suggestions, declared);
    QHash<QString, QStringList> extensions;
    for (const QString& type : types)
        if (joined.appsByType.contains(type))
            extensions.insert(type, joined.extensions(type));
    return extensions;
}

} // namespace tessik
