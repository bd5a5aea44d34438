#include "format_knowledge_base.h"

#include "core/services/type_resolver.h"
#include "core/support/strict_json.h"
#include "format_knowledge_base_error.h"
#include "platform/file_manager.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

constexpr qsizetype maximumCategories = 64;
constexpr qsizetype maximumApps = 1000;
constexpr qsizetype maximumExtensions = 1000;
constexpr qsizetype maximumNames = 16;

bool hasDuplicates(const QStringList& list)
{
    return QSet<QString>(list.begin(), list.end()).size() != list.size();
}

void require(bool rule)
{
    if (!rule)
        throw FormatKnowledgeBaseError(FormatKnowledgeBaseError::Kind::invalidCatalog);
}

} // namespace

FormatKnowledgeBase FormatKnowledgeBase::bundled()
{
    return load(QUrl(u"qrc:/tessik/core/format-catalog.json"_s));
}

FormatKnowledgeBase FormatKnowledgeBase::load(const QUrl& url)
{
    // One byte past the limit is enough to refuse an oversized file without holding all of it.
    return decode(platform::FileManager::contentsOfFile(url, maximumSize + 1));
}

FormatKnowledgeBase FormatKnowledgeBase::decode(const QByteArray& data)
{
    if (data.size() > maximumSize)
        throw FormatKnowledgeBaseError(FormatKnowledgeBaseError::Kind::fileTooLarge);
    const QJsonDocument document = StrictJson::parse(data, u"The format catalog"_s);
    if (!document.isObject())
        throw JsonDecodingError(u"The format catalog is not a JSON object."_s, u"format catalog"_s);
    const StrictJson json(document.object(), u"format catalog"_s);
    FormatKnowledgeBase knowledge;
    knowledge.m_schemaVersion = json.integer(u"schemaVersion"_s);
    for (const QJsonValue& value : json.array(u"categories"_s)) {
        if (!value.isObject())
            throw JsonDecodingError(u"format catalog: an entry of \"categories\" is not an object."_s,
                                    u"format catalog"_s, u"categories"_s);
        knowledge.m_categories.append(FormatCategory::fromJson(value.toObject()));
    }
    for (const QJsonValue& value : json.array(u"apps"_s)) {
        if (!value.isObject())
            throw JsonDecodingError(u"format catalog: an entry of \"apps\" is not an object."_s, u"format catalog"_s,
                                    u"apps"_s);
        knowledge.m_apps.append(AppFormatRecommendation::fromJson(value.toObject()));
    }
    if (knowledge.m_schemaVersion != 1)
        throw FormatKnowledgeBaseError(FormatKnowledgeBaseError::Kind::unsupportedSchema);
    knowledge.validate();
    for (qsizetype i = knowledge.m_categories.size() - 1; i >= 0; --i)
        for (const QString& extension : knowledge.m_categories[i].extensions)
            knowledge.m_firstCategory.insert(extension, i);
    return knowledge;
}

void FormatKnowledgeBase::validate() const
{
    require(!m_categories.isEmpty());
    require(m_categories.size() <= maximumCategories);
    require(m_apps.size() <= maximumApps);
    QSet<QString> ids;
    for (const FormatCategory& category : m_categories)
        ids.insert(category.id);
    require(ids.size() == m_categories.size());
    for (const FormatCategory& category : m_categories) {
        require(!category.id.isEmpty());
        require(!category.name.isEmpty());
        if (category.names) {
            require(category.names->size() <= maximumNames);
            for (auto it = category.names->cbegin(); it != category.names->cend(); ++it)
                require(!it.key().isEmpty() && !it.value().isEmpty());
        }
        require(!category.extensions.isEmpty());
        require(category.extensions.size() <= maximumExtensions);
        require(!hasDuplicates(category.extensions));
        for (const QString& extension : category.extensions)
            require(validExtension(extension));
    }
    for (const AppFormatRecommendation& app : m_apps) {
        require(!app.name.isEmpty());
        require(!app.formats.isEmpty());
        const QStringList all = app.formats + app.conditionalFormats;
        require(all.size() <= maximumExtensions);
        require(!hasDuplicates(all));
        for (const QString& extension : all)
            require(validExtension(extension));
        const QUrl source(app.source, QUrl::StrictMode);
        require(source.isValid() && source.scheme() == u"https"_s && app.source.startsWith(u"https:"_s));
    }
}

bool FormatKnowledgeBase::validExtension(const QString& value)
{
    return TypeResolver::isNormalized(value);
}

std::optional<FormatCategory> FormatKnowledgeBase::category(const QStringList& extensions) const
{
    qsizetype first = m_categories.size();
    for (const QString& extension : extensions)
        first = std::min(first, m_firstCategory.value(extension.toLower(), first));
    return first < m_categories.size() ? std::optional(m_categories[first]) : std::nullopt;
}

QList<FormatCategory> FormatKnowledgeBase::categories(const QStringList& extensions) const
{
    QStringList lowered;
    for (const QString& extension : extensions)
        lowered.append(extension.toLower());
    QList<FormatCategory> matching;
    for (const FormatCategory& category : m_categories) {
        if (std::any_of(lowered.begin(), lowered.end(),
                        [&](const QString& extension) { return category.extensions.contains(extension); }))
            matching.append(category);
    }
    return matching;
}

QList<CatalogSuggestion> FormatKnowledgeBase::suggestions(const QList<InstalledApp>& apps) const
{
    const TypeResolver resolver;
    QList<CatalogSuggestion> result;
    for (const InstalledApp& app : apps) {
        const auto recommendation = std::find_if(m_apps.begin(), m_apps.end(),
                                                 [&](const AppFormatRecommendation& r) { return r.matches(app); });
        if (recommendation == m_apps.end())
            continue;
        QSet<QString> declared;
        for (const QString& type : app.supportedTypeIdentifiers)
            for (const QString& extension : resolver.extensions(type))
                declared.insert(extension);
        const QStringList offered = recommendation->formats + recommendation->conditionalFormats;
        for (qsizetype i = 0; i < offered.size(); ++i) {
            const QString& extension = offered[i];
            if (declared.contains(extension))
                continue;
            const auto type = resolver.typeIdentifier(extension);
            if (!type)
                continue;
            result.append({*type, extension, app, i >= recommendation->formats.size()});
        }
    }
    return result;
}

} // namespace tessik
