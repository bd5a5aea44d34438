#include "format_category.h"

#include "core/support/strict_json.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace tessik {

QString FormatCategory::localizedName(const QString& languageCode) const
{
    if (names) {
        if (const auto it = names->constFind(languageCode); it != names->cend())
            return *it;
        if (const auto it = names->constFind(u"en"_s); it != names->cend())
            return *it;
    }
    return name;
}

QJsonObject FormatCategory::toJson() const
{
    QJsonObject object{{u"id"_s, id}, {u"name"_s, name}, {u"extensions"_s, QJsonArray::fromStringList(extensions)}};
    if (names) {
        QJsonObject localized;
        for (auto it = names->cbegin(); it != names->cend(); ++it)
            localized.insert(it.key(), it.value());
        object.insert(u"names"_s, localized);
    }
    return object;
}

FormatCategory FormatCategory::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"category"_s);
    FormatCategory category;
    category.id = json.string(u"id"_s);
    category.name = json.string(u"name"_s);
    category.extensions = json.stringList(u"extensions"_s);
    if (const auto names = json.optionalObject(u"names"_s)) {
        QMap<QString, QString> map;
        const StrictJson localized(*names, u"category names"_s);
        for (auto it = names->constBegin(); it != names->constEnd(); ++it)
            map.insert(it.key(), localized.string(it.key()));
        category.names = map;
    }
    return category;
}

size_t qHash(const FormatCategory& category, size_t seed)
{
    size_t names = 0;
    if (category.names)
        for (auto it = category.names->cbegin(); it != category.names->cend(); ++it)
            names = qHashMulti(names, it.key(), it.value());
    return qHashMulti(seed, category.id, category.name, bool(category.names), names, category.extensions);
}

} // namespace tessik
