#pragma once

#include "core/records/installed_app.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace tessik {

// What the knowledge base knows of one application: the formats it opens well without always declaring them.
struct AppFormatRecommendation
{
    QString name;
    QStringList aliases;
    QStringList bundleIdentifiers;
    QStringList formats;
    // Formats it may open only with an add-on installed.
    QStringList conditionalFormats;
    QString source;

    // By bundle identifier, else by name or alias; both ignore case.
    bool matches(const InstalledApp& app) const;

    bool operator==(const AppFormatRecommendation&) const = default;

    QJsonObject toJson() const;
    // Throws JsonDecodingError.
    static AppFormatRecommendation fromJson(const QJsonObject& object);
};

size_t qHash(const AppFormatRecommendation& recommendation, size_t seed = 0);

} // namespace tessik
