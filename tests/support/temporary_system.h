#pragma once

#include "systemwriter/bundle_description.h"
#include "systemwriter/system_root_writer.h"

#include <QTemporaryDir>
#include <QVariantList>

#include <optional>

namespace tessik::testing {

// An emulated machine in a temporary folder, made the current system root for the test's lifetime.
class TemporarySystem
{
public:
    TemporarySystem();
    ~TemporarySystem();

    QString root() const { return m_dir.path(); }
    const tools::SystemRootWriter& writer() const { return *m_writer; }

    // Writes an application bundle and returns its path. Document types are entries made with documentType().
    QString addApp(const QString& relativePath, const QString& bundleIdentifier, const QVariantList& documentTypes = {},
                   const QVariantMap& extraInfo = {},
                   platform::PropertyList::Format format = platform::PropertyList::Format::Xml);
    QString addBundle(const tools::BundleDescription& bundle);
    // Registers a bundle with Launch Services, as an installer or a custom association does.
    void registerBundle(const QString& path);

    static QVariantMap documentType(const QStringList& contentTypes, const QStringList& extensions,
                                    const QString& role = QStringLiteral("Viewer"),
                                    const std::optional<QString>& rank = std::nullopt);

private:
    QTemporaryDir m_dir;
    std::optional<tools::SystemRootWriter> m_writer;
};

} // namespace tessik::testing
