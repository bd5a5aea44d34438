#include "app_format_recommendation.h"

#include "core/support/strict_json.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace tessik {

bool AppFormatRecommendation::matches(const InstalledApp& app) const
{
    if (bundleIdentifiers.contains(app.id(), Qt::CaseInsensitive))
        return true;
    return name.compare(app.name, Qt::CaseInsensitive) == 0 || aliases.contains(app.name, Qt::CaseInsensitive);
}

QJsonObject AppFormatRecommendation::toJson() const
{
    return {{u"name"_s, name},
            {u"aliases"_s, QJsonArray::fromStringList(aliases)},
            {u"bundleIdentifiers"_s, QJsonArray::fromStringList(bundleIdentifiers)},
            {u"formats"_s, QJsonArray::fromStringList(formats)},
            {u"conditionalFormats"_s, QJsonArray::fromStringList(conditionalFormats)},
            {u"source"_s, source}};
}

AppFormatRecommendation AppFormatRecommendation::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"app"_s);
    return {json.string(u"name"_s),
            json.stringList(u"aliases"_s),
            json.stringList(u"bundleIdentifiers"_s),
            json.stringList(u"formats"_s),
            json.stringList(u"conditionalFormats"_s),
            json.string(u"source"_s)};
}

size_t qHash(const AppFormatRecommendation& r, size_t seed)
{
    return qHashMulti(seed, r.name, r.aliases, r.bundleIdentifiers, r.formats, r.conditionalFormats, r.source);
}

} // namespace tessik
