#include "app_scanner.h"

#include "core/support/plain_order.h"
#include "core/support/pool_work.h"
#include "core/support/start_timeline.h"
#include "platform/bundle.h"
#include "platform/file_manager.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <atomic>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

std::atomic<qint64> scanCount{0};

} // namespace

AppScanner::AppScanner(QList<QUrl> applicationDirectories, CapabilityParser capabilityParser)
    : m_applicationDirectories(std::move(applicationDirectories)), m_capabilityParser(capabilityParser)
{
}

QList<QUrl> AppScanner::defaultApplicationDirectories()
{
    return platform::FileManager::applicationDirectories();
}

qint64 AppScanner::scansMade()
{
    return scanCount;
}

AppScanner::Result AppScanner::scanWithCapabilities(QThreadPool* pool) const
{
    ++scanCount;
    QList<QUrl> items;
    for (const QUrl& root : m_applicationDirectories) {
        if (!platform::FileManager::fileExists(root.toLocalFile()))
            continue;
        auto enumerator =
            platform::FileManager::enumerator(root, platform::DirectoryEnumerator::SkipsHiddenFiles |
                                                        platform::DirectoryEnumerator::SkipsPackageDescendants);
        if (!enumerator)
            continue;
        while (const auto item = enumerator->nextObject())
            items.append(*item);
    }

    std::vector<std::optional<Scanned>> read(size_t(items.size()));
    markStart("applications enumerated");
    // Whether an item is an application is asked on the pool too: it costs a look at the disk each.
    runOnPool(pool, items.size(), [&](qsizetype i) {
        if (platform::FileManager::isApplication(items[i]))
            read[size_t(i)] = readBundle(items[i]);
    });
    platform::Bundle::keepOpenedBundles();
    // In the order met, so that the last copy of an identifier wins as in a serial scan.
    QHash<QString, qsizetype> byIdentifier;
    for (qsizetype i = 0; i < items.size(); ++i)
        if (read[size_t(i)])
            byIdentifier.insert(read[size_t(i)]->app.bundleIdentifier, i);

    Result result;
    result.apps.reserve(byIdentifier.size());
    result.capabilities.reserve(byIdentifier.size());
    for (const qsizetype i : std::as_const(byIdentifier)) {
        Scanned& bundle = *read[size_t(i)];
        result.capabilities.insert(bundle.app.url, std::move(bundle.capabilities));
        result.apps.append(std::move(bundle.app));
    }
    sortByName(result.apps);
    markStart("bundles read");
    return result;
}

std::optional<InstalledApp> AppScanner::installedApp(const QUrl& url) const
{
    if (!platform::FileManager::isApplication(url))
        return std::nullopt;
    auto bundle = readBundle(url);
    return bundle ? std::optional(std::move(bundle->app)) : std::nullopt;
}

std::optional<AppScanner::Scanned> AppScanner::readBundle(const QUrl& url) const
{
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

    QList<TypeCapability> capabilities = m_capabilityParser.parse(*bundle);
    QStringList types;
    for (const TypeCapability& capability : capabilities)
        types.append(capability.typeIdentifier);
    return Scanned{{name, *identifier, url, sortedUniquePlain(types)}, std::move(capabilities)};
}

} // namespace tessik
