#include "temporary_system.h"

#include "platform/launch_services.h"
#include "platform/system_root.h"

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
    tools::BundleSpec spec;
    spec.path = relativePath;
    spec.format = format;
    spec.info = {{u"CFBundleIdentifier"_s, bundleIdentifier}, {u"CFBundlePackageType"_s, u"APPL"_s}};
    if (!documentTypes.isEmpty())
        spec.info.insert(u"CFBundleDocumentTypes"_s, documentTypes);
    spec.info.insert(extraInfo);
    return addBundle(spec);
}

QString TemporarySystem::addBundle(const tools::BundleSpec& spec)
{
    const QString path = m_writer->addBundle(spec);
    platform::LSRegisterURL(QUrl::fromLocalFile(path), true);
    return path;
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
