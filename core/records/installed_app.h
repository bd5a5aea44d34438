#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace tessik {

// One installed application bundle; its identity is the bundle identifier.
struct InstalledApp
{
    QString name;
    QString bundleIdentifier;
    QUrl url;
    QStringList supportedTypeIdentifiers;

    const QString& id() const { return bundleIdentifier; }
    bool operator==(const InstalledApp&) const = default;

    QJsonObject toJson() const;
    // Throws JsonDecodingError naming the missing or mistyped key.
    static InstalledApp fromJson(const QJsonObject& object);
};

size_t qHash(const InstalledApp& app, size_t seed = 0);

// Sorts by name, locale-aware and ignoring case; equal names by bundle identifier, then location.
void sortByName(QList<InstalledApp>& apps);

} // namespace tessik
