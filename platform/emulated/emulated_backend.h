#pragma once

#include "../backend.h"

namespace tessik::platform {

// The emulated Mac under the system root: application folders of bundles, the uniform type table, the Launch
// Services handler database, and the user's defaults as property lists.
class EmulatedBackend final : public Backend
{
public:
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
    OSStatus setDefaultHandler(const QString& contentType, LSRolesMask role, const QString& handler) override;
    QList<StoredHandler> storedHandlers() const override;
    QStringList urlSchemeHandlers(const QString& scheme) const override;
    std::optional<QString> defaultURLSchemeHandler(const QString& scheme) const override;
    OSStatus setURLSchemeHandler(const QString& scheme, const QString& handler) override;
    HandlerExplanation explainURLSchemeHandler(const QString& scheme) const override;
    bool urlSchemeChangesNeedConfirmation(const QString& scheme) const override { return isWebScheme(scheme); }
    bool defaultChangesNeedConfirmation() const override { return true; }
    bool openURL(const QUrl& url) override;
    bool usesInstalledOpener() const override { return false; }

    QString bundleCacheFile() const override;
    QUrl homeDirectory() const override;
    QUrl applicationSupportDirectory() const override;
    std::unique_ptr<QSettings> openDefaults() const override;
    QStringList preferredLanguages() const override;
};

} // namespace tessik::platform
