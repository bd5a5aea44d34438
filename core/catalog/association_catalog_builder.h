#pragma once

#include "catalog_suggestion.h"
#include "core/records/file_association.h"
#include "core/records/type_capability.h"
#include "core/services/association_reading.h"
#include "custom_association.h"

#include <QHash>
#include <QList>
#include <QThreadPool>
#include <QUrl>

#include <memory>

namespace tessik {

// Joins the installed applications, what their bundles declare, camera-raw viewers, the user's custom
// associations, suggestions and the current handlers into the catalog: one record per content type.
class AssociationCatalogBuilder
{
public:
    explicit AssociationCatalogBuilder(std::shared_ptr<const AssociationReading> reader);

    // Sorted by type identifier. Throws whatever the reader throws; no partial catalog is returned. `declared`
    // holds document types a scan has just read, by bundle URL; other bundles are read here. The types' records are
    // made on the idle threads of `pool` too, when one is given.
    QList<FileAssociation> build(const QList<InstalledApp>& apps, const QList<CustomAssociation>& customAssociations,
                                 const QList<CatalogSuggestion>& suggestions,
                                 const QHash<QUrl, QList<TypeCapability>>& declared = {},
                                 QThreadPool* pool = nullptr) const;

    // The extensions `build` would list for each of the types it lists among these, reading no handler; the bundles
    // are read as by `build`.
    static QHash<QString, QStringList> extensions(const QList<InstalledApp>& apps,
                                                  const QList<CustomAssociation>& customAssociations,
                                                  const QList<CatalogSuggestion>& suggestions,
                                                  const QHash<QUrl, QList<TypeCapability>>& declared,
                                                  const QStringList& types);

    static const QStringList& cameraRawExtensions();

private:
    struct Joined;
    static Joined join(const QList<InstalledApp>& apps, const QList<CustomAssociation>& customAssociations,
                       const QList<CatalogSuggestion>& suggestions, const QHash<QUrl, QList<TypeCapability>>& declared);

    std::shared_ptr<const AssociationReading> m_reader;
};

} // namespace tessik
