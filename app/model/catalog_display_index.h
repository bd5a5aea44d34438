#pragma once

#include "core/catalog/catalog_suggestion.h"
#include "core/catalog/custom_association.h"
#include "core/catalog/format_knowledge_base.h"
#include "core/records/file_association.h"
#include "core/records/installed_app.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace tessik {

// Everything the views ask per row, precomputed from one state of the catalog so that drawing a list never scans
// it. Built off the interface thread; a plain value.
struct CatalogDisplayIndex
{
    QHash<QString, InstalledApp> appsByID;
    // Every record, also those without extensions.
    QHash<QString, FileAssociation> associationsByType;
    QHash<QString, QString> labels;
    QHash<QString, QString> descriptions;
    QHash<QString, QString> categoryByType;
    QHash<QString, QStringList> typesByCategory;
    QHash<QString, QHash<QString, QStringList>> typesByAppAndCategory;
    QHash<QString, CatalogSuggestion> suggestionByTypeAndApp;
    QSet<QString> manualKeys;
    // Every listed type (a record with at least one extension, or a URL scheme), in display order.
    QStringList types;

    static inline const QString otherCategory = QStringLiteral("other");
    // The URL schemes the applications declare, labelled by their identifiers ("https:").
    static inline const QString linksCategory = QStringLiteral("links");

    CatalogDisplayIndex() = default;
    CatalogDisplayIndex(const QList<InstalledApp>& apps, const QList<FileAssociation>& associations,
                        const QList<CustomAssociation>& custom, const QList<CatalogSuggestion>& suggestions,
                        const FormatKnowledgeBase& knowledge);

    // The type identifier and the application id joined by one NUL character, which neither can contain.
    static QString key(const QString& typeIdentifier, const QString& appID);
    // The extensions as the lists show them: ".jpeg, .jpg".
    static QString label(const QStringList& extensions);

    bool operator==(const CatalogDisplayIndex&) const = default;

private:
    // Plain order of their labels; links put the web's and mail's first.
    static void sortTypes(const QString& categoryID, QStringList& types,
                          const std::function<QString(const QString&)>& labelOf);
};

} // namespace tessik
