#include "catalog_display_index.h"

#include "core/support/plain_order.h"
#include "platform/uniform_type.h"

using namespace Qt::StringLiterals;

namespace tessik {

CatalogDisplayIndex::CatalogDisplayIndex(const QList<InstalledApp>& apps, const QList<FileAssociation>& associations,
                                         const QList<CustomAssociation>& custom,
                                         const QList<CatalogSuggestion>& suggestions,
                                         const FormatKnowledgeBase& knowledge)
{
    appsByID.reserve(apps.size());
    for (const InstalledApp& app : apps)
        appsByID.insert(app.id(), app);
    for (const CustomAssociation& association : custom)
        manualKeys.insert(key(association.typeIdentifier, association.app.id()));
    for (const CatalogSuggestion& suggestion : suggestions)
        suggestionByTypeAndApp.insert(key(suggestion.typeIdentifier, suggestion.app.id()), suggestion);

    associationsByType.reserve(associations.size());
    for (const FileAssociation& association : associations) {
        const QString& type = association.typeIdentifier;
        associationsByType.insert(type, association);
        if (association.extensions.isEmpty())
            continue;
        labels.insert(type, label(association.extensions));
        const auto platformType = platform::UTType::typeWithIdentifier(type);
        const QString description = platformType ? platformType->localizedDescription() : QString();
        // A type the system does not describe is described in the interface language (AppModel::description).
        if (!description.isEmpty() && description != type)
            descriptions.insert(type, description);
        const auto category = knowledge.category(association.extensions);
        const QString categoryID = category ? category->id : otherCategory;
        categoryByType.insert(type, categoryID);
        typesByCategory[categoryID].append(type);
        for (const InstalledApp& app : association.capableApps)
            typesByAppAndCategory[app.id()][categoryID].append(type);
    }

    const auto labelOf = [this](const QString& type) { return labels.value(type, type); };
    for (QStringList& list : typesByCategory) {
        sortPlainBy(list, labelOf);
        types += list;
    }
    for (auto& byCategory : typesByAppAndCategory)
        for (QStringList& list : byCategory)
            sortPlainBy(list, labelOf);
    sortPlainBy(types, labelOf);
}

QString CatalogDisplayIndex::key(const QString& typeIdentifier, const QString& appID)
{
    return typeIdentifier + QChar(u'\0') + appID;
}

QString CatalogDisplayIndex::label(const QStringList& extensions)
{
    QStringList dotted;
    dotted.reserve(extensions.size());
    for (const QString& extension : extensions)
        dotted.append(u'.' + extension);
    return dotted.join(u", "_s);
}

} // namespace tessik
