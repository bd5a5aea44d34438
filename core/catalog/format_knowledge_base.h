#pragma once

#include "app_format_recommendation.h"
#include "catalog_suggestion.h"
#include "format_category.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QUrl>

#include <optional>

namespace tessik {

// The curated format catalog: categories of extensions and what well-known applications open. Every instance
// has passed the size, version and content rules.
class FormatKnowledgeBase
{
public:
    static constexpr qint64 maximumSize = 1000000;

    // The catalog shipped with the program. Throws NSError, JsonDecodingError or FormatKnowledgeBaseError.
    static FormatKnowledgeBase bundled();
    static FormatKnowledgeBase load(const QUrl& url);
    static FormatKnowledgeBase decode(const QByteArray& data);

    // Throws FormatKnowledgeBaseError (invalidCatalog) at the first broken rule.
    void validate() const;

    qint64 schemaVersion() const { return m_schemaVersion; }
    const QList<FormatCategory>& categories() const { return m_categories; }
    const QList<AppFormatRecommendation>& apps() const { return m_apps; }

    // The first category, in file order, holding any of the extensions (compared lower-cased).
    std::optional<FormatCategory> category(const QStringList& extensions) const;
    QList<FormatCategory> categories(const QStringList& extensions) const;

    // For each application, in order, the formats its recommendation adds to what it declares.
    QList<CatalogSuggestion> suggestions(const QList<InstalledApp>& apps) const;

    bool operator==(const FormatKnowledgeBase&) const = default;

private:
    FormatKnowledgeBase() = default;
    static bool validExtension(const QString& value);

    qint64 m_schemaVersion = 0;
    QList<FormatCategory> m_categories;
    QList<AppFormatRecommendation> m_apps;
    // Each extension's first category, so that the display index looks a type's category up at once.
    QHash<QString, qsizetype> m_firstCategory;
};

} // namespace tessik
