#include "app_scanner.h"

#include "core/support/plain_order.h"
#include "platform/bundle.h"
#include "platform/file_manager.h"
#include "platform/system_root.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

using namespace Qt::StringLiterals;

namespace tessik {

AppScanner::AppScanner(QList<QUrl> applicationDirectories, CapabilityParser capabilityParser)
    : m_applicationDirectories(std::move(applicationDirectories)), m_capabilityParser(capabilityParser)
{
}

QList<QUrl> AppScanner::defaultApplicationDirectories()
{
    QUrl userApplications = platform::FileManager::homeDirectoryForCurrentUser();
    userApplications.setPath(userApplications.path() + u"/Applications"_s);
    return {platform::systemURL(u"/Applications"_s), platform::systemURL(u"/System/Applications"_s), userApplications};
}

QList<InstalledApp> AppScanner::scan() const
{
    QHash<QString, InstalledApp> byIdentifier;
    for (const QUrl& root : m_applicationDirectories) {
        if (!platform::FileManager::fileExists(root.toLocalFile()))
            continue;
        auto enumerator =
            platform::FileManager::enumerator(root, platform::DirectoryEnumerator::SkipsHiddenFiles |
                                                        platform::DirectoryEnumerator::SkipsPackageDescendants);
        if (!enumerator)
            continue;
        while (const auto item = enumerator->nextObject()) {
            if (!item->path().endsWith(u".app"_s))
                continue;
            if (auto app = installedApp(*item))
                byIdentifier.insert(app->bundleIdentifier, std::move(*app));
        }
    }
    QList<InstalledApp> apps = byIdentifier.values();
    sortByName(apps);
    return apps;
}

std::optional<InstalledApp> AppScanner::installedApp(const QUrl& url) const
{
    // Only an application can open documents; a plug-in or framework picked by hand would be stored, registered
    // and staged, and never take.
    if (QFileInfo(QDir::cleanPath(url.path())).suffix() != u"app"_s)
        return std::nullopt;
    const auto bundle = platform::Bundle::bundleWithURL(url);
    if (!bundle)
        return std::nullopt;
    const auto identifier = bundle->bundleIdentifier();
    if (!identifier)
        return std::nullopt;

    QString name;
    const QVariant displayName = bundle->objectForInfoDictionaryKey(u"CFBundleDisplayName"_s);
    const QVariant bundleName = bundle->objectForInfoDictionaryKey(u"CFBundleName"_s);
    if (displayName.typeId() == QMetaType::QString)
        name = displayName.toString();
    else if (bundleName.typeId() == QMetaType::QString)
        name = bundleName.toString();
    else
        name = QFileInfo(QDir::cleanPath(url.path())).completeBaseName();

    QStringList types;
    for (const TypeCapability& capability : m_capabilityParser.parse(*bundle))
        types.append(capability.typeIdentifier);
    return InstalledApp{name, *identifier, url, sortedUniquePlain(types)};
}

} // namespace tessik
