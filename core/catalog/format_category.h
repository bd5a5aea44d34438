#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessik {

// A display category of the format knowledge base: the extensions it groups and its names.
struct FormatCategory
{
    QString id;
    QString name;
    // Language code → display name; absent when the catalog gives none.
    std::optional<QMap<QString, QString>> names;
    QStringList extensions;

    // The name in the language, else the English one, else the base name.
    QString localizedName(const QString& languageCode) const;

    bool operator==(const FormatCategory&) const = default;

    QJsonObject toJson() const;
    // Throws JsonDecodingError.
    static FormatCategory fromJson(const QJsonObject& object);
};

size_t qHash(const FormatCategory& category, size_t seed = 0);

} // namespace tessik
