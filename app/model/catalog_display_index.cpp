#include "catalog_display_index.h"

#include "core/records/url_scheme.h"
#include "core/records/web_browser.h"
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
        if (URLScheme::isIdentifier(type)) {
            labels.insert(type, type);
            categoryByType.insert(type, linksCategory);
            typesByCategory[linksCategory].append(type);
            for (const InstalledApp& app : association.capableApps)
                typesByAppAndCategory[app.id()][linksCategory].append(type);
            continue;
        }
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
    for (auto it = typesByCategory.begin(); it != typesByCategory.end(); ++it) {
        sortTypes(it.key(), *it, labelOf);
        types += *it;
    }
    for (auto& byCategory : typesByAppAndCategory)
        for (auto it = byCategory.begin(); it != byCategory.end(); ++it)
            sortTypes(it.key(), *it, labelOf);
    // Links keep their own order after the formats.
    QStringList links;
    for (const QString& type : std::as_const(types))
        if (URLScheme::isIdentifier(type))
            links.append(type);
    types.removeIf([](const QString& type) { return URLScheme::isIdentifier(type); });
    sortPlainBy(types, labelOf);
    sortTypes(linksCategory, links, labelOf);
    types += links;
}

void CatalogDisplayIndex::sortTypes(const QString& categoryID, QStringList& types,
                                    const std::function<QString(const QString&)>& labelOf)
{
    sortPlainBy(types, labelOf);
    if (categoryID != linksCategory)
        return;
    // The web's and mail's links are the ones people look for; the rest follow by name.
    static const QStringList first = WebBrowser::schemeIdentifiers() + QStringList{u"mailto:"_s};
    std::stable_sort(types.begin(), types.end(), [](const QString& a, const QString& b) {
        const auto rank = [](const QString& type) {
            const qsizetype found = first.indexOf(type);
            return found < 0 ? first.size() : found;
        };
        return rank(a) < rank(b);
    });
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
