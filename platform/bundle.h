#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace tessik::platform {

struct BundleData;

// An opened bundle folder and its information dictionary, as NSBundle presents it. Opening the same
// unchanged bundle again is cheap: the platform keeps what it read.
class Bundle
{
public:
    // Nothing when the URL is not a readable folder.
    static std::optional<Bundle> bundleWithURL(const QUrl& url);
    // The running program's own bundle.
    static Bundle mainBundle();
    // Keeps what was read of the bundles opened so far in the user's cache folder, so that the next process parses
    // only those that changed since. Called once a scan has opened every installed bundle.
    static void keepOpenedBundles();

    QUrl bundleURL() const;
    std::optional<QString> bundleIdentifier() const;
    // Empty when Info.plist is missing or cannot be read.
    const QVariantMap& infoDictionary() const;
    // The InfoPlist.strings entries of the localisation that best matches the user's languages.
    const QVariantMap& localizedInfoDictionary() const;
    // The localised value when there is one, else the information dictionary's value; invalid when absent.
    QVariant objectForInfoDictionaryKey(const QString& key) const;
    // A file in Contents/Resources, or nothing.
    std::optional<QUrl> urlForResource(const QString& name, const QString& extension) const;

    // For the platform's backends, which read bundles.
    explicit Bundle(std::shared_ptr<const BundleData> contents) : m_contents(std::move(contents)) {}

private:
    std::shared_ptr<const BundleData> m_contents;
};

} // namespace tessik::platform
