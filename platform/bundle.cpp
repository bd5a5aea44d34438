#include "bundle.h"

#include "backend.h"
#include "bundle_data.h"
#include "emulated/bundle_cache.h"
#include "emulated/property_list.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tessik::platform {

std::optional<Bundle> Bundle::bundleWithURL(const QUrl& url)
{
    if (auto contents = Backend::current().openBundle(url))
        return Bundle(std::move(contents));
    return std::nullopt;
}

void Bundle::keepOpenedBundles()
{
    if (!Backend::current().bundleCacheFile().isEmpty())
        platform::keepOpenedBundles();
}

Bundle Bundle::mainBundle()
{
    // The program carries its bundle's Contents as resources; they cannot change while it runs.
    static const std::shared_ptr<const BundleData> contents = [] {
        auto main = std::make_shared<BundleData>();
        main->url = QUrl(u"qrc:/"_s);
        main->resourcesPath = u":/Contents/Resources"_s;
        QFile file(u":/Contents/Info.plist"_s);
        if (file.open(QIODevice::ReadOnly)) {
            const std::optional<QVariant> list = PropertyList::read(file.readAll());
            if (list && list->typeId() == QMetaType::QVariantMap)
                main->info = list->toMap();
        }
        return main;
    }();
    return Bundle(contents);
}

QUrl Bundle::bundleURL() const
{
    return m_contents->url;
}

std::optional<QString> Bundle::bundleIdentifier() const
{
    const QVariant value = m_contents->info.value(u"CFBundleIdentifier"_s);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

const QVariantMap& Bundle::infoDictionary() const
{
    return m_contents->info;
}

const QVariantMap& Bundle::localizedInfoDictionary() const
{
    return m_contents->localized;
}

QVariant Bundle::objectForInfoDictionaryKey(const QString& key) const
{
    const auto localized = m_contents->localized.constFind(key);
    return localized != m_contents->localized.cend() ? *localized : m_contents->info.value(key);
}

std::optional<QUrl> Bundle::urlForResource(const QString& name, const QString& extension) const
{
    if (name.isEmpty() || name.contains(u'/'))
        return std::nullopt;
    const QString file = extension.isEmpty() || name.endsWith(u'.' + extension) ? name : name + u'.' + extension;
    if (m_contents->resourcesPath.isEmpty())
        return std::nullopt;
    const QString path = m_contents->resourcesPath + u'/' + file;
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return QUrl::fromLocalFile(path);
}

} // namespace tessik::platform
