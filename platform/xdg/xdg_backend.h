#pragma once

#include "../backend.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QSet>

namespace tessik::platform {

class DesktopEntryIndex;
class MimeAppsLookup;

// A freedesktop.org desktop: desktop entries are the applications (a desktop file ID is the bundle identifier),
// the shared MIME database gives the types, and the mimeapps.list files hold one default per type, which every
// role but the shell role reads and writes.
class XdgBackend final : public Backend
{
public:
    XdgBackend();
    ~XdgBackend() override;

    QList<QUrl> applicationDirectories() const override;
    bool isApplication(const QUrl& url) const override;
    std::shared_ptr<const BundleData> openBundle(const QUrl& url) const override;
    std::optional<QUrl> applicationURL(const QString& bundleIdentifier) const override;
    std::optional<QString> applicationIcon(const QUrl& applicationURL) const override;
    OSStatus registerApplication(const QUrl& url) override;

    QString wellKnownType(WellKnownType type) const override;
    std::shared_ptr<const TypeRecord> type(const QString& identifier) const override;
    std::shared_ptr<const TypeRecord> typeForExtension(const QString& extension,
                                                       const QString& supertype) const override;
    std::shared_ptr<const TypeRecord> typeForFile(const QString& path) const override;

    std::optional<QString> defaultHandler(const QString& contentType, LSRolesMask role) const override;
    HandlerExplanation explainDefaultHandler(const QString& contentType, LSRolesMask role) const override;
    // Throws NSError when the list cannot be written, or when a file that takes precedence still decides the type.
    OSStatus setDefaultHandler(const QString& contentType, LSRolesMask role, const QString& handler) override;
    QStringList urlSchemeHandlers(const QString& scheme) const override;
    bool defaultChangesNeedConfirmation() const override { return false; }
    bool openURL(const QUrl& url) override;
    bool usesInstalledOpener() const override { return true; }

    QUrl homeDirectory() const override;
    QUrl applicationSupportDirectory() const override;
    std::unique_ptr<QSettings> openDefaults() const override;
    QStringList preferredLanguages() const override;

private:
    std::shared_ptr<const DesktopEntryIndex> entries() const;
    // The type and its ancestors, most specific first, as the default is looked up; empty for an unknown type.
    QStringList typeChain(const QString& contentType) const;
    // Every type an installed application declares.
    std::shared_ptr<const QSet<QString>> declaredTypes() const;

    mutable QMutex m_mutex;
    mutable std::shared_ptr<const DesktopEntryIndex> m_entries;
    mutable QStringList m_entriesKey;
    mutable std::weak_ptr<const DesktopEntryIndex> m_declaredTypesIndex;
    mutable std::shared_ptr<const QSet<QString>> m_declaredTypes;
    mutable QElapsedTimer m_sinceCheck;
    std::unique_ptr<MimeAppsLookup> m_lookup;
};

} // namespace tessik::platform
