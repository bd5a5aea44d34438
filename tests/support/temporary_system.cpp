#include "temporary_system.h"

#include "platform/emulated/application_registry.h"
#include "platform/launch_services.h"
#include "platform/system_root.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tessik::testing {

TemporarySystem::TemporarySystem()
{
    m_writer.emplace(m_dir.path());
    platform::setSystemRoot(m_dir.path());
}

TemporarySystem::~TemporarySystem()
{
    platform::setSystemRoot({});
}

QString TemporarySystem::addApp(const QString& relativePath, const QString& bundleIdentifier,
                                const QVariantList& documentTypes, const QVariantMap& extraInfo,
                                platform::PropertyList::Format format)
{
    tools::BundleDescription bundle;
    bundle.path = relativePath;
    bundle.format = format;
    bundle.info = {{u"CFBundleIdentifier"_s, bundleIdentifier}, {u"CFBundlePackageType"_s, u"APPL"_s}};
    if (!documentTypes.isEmpty())
        bundle.info.insert(u"CFBundleDocumentTypes"_s, documentTypes);
    bundle.info.insert(extraInfo);
    return addBundle(bundle);
}

QString TemporarySystem::addBundle(const tools::BundleDescription& bundle)
{
    const QString path = m_writer->addBundle(bundle);
    // Seen at the next lookup, as a folder scan would see it; a bundle outside the folders stays unknown.
    platform::ApplicationRegistry::shared().invalidate();
    return path;
}

void TemporarySystem::registerBundle(const QString& path)
{
    ASSERT_EQ(platform::LSRegisterURL(QUrl::fromLocalFile(path), true), platform::noErr);
}

QVariantMap TemporarySystem::documentType(const QStringList& contentTypes, const QStringList& extensions,
                                          const QString& role, const std::optional<QString>& rank)
{
    QVariantMap entry{{u"CFBundleTypeRole"_s, role}};
    if (!contentTypes.isEmpty())
        entry.insert(u"LSItemContentTypes"_s, contentTypes);
    if (!extensions.isEmpty())
        entry.insert(u"CFBundleTypeExtensions"_s, extensions);
    if (rank)
        entry.insert(u"LSHandlerRank"_s, *rank);
    return entry;
}

} // namespace tessik::testing
