#pragma once

#include "../backend.h"
#include "mac_icon_cache.h"
#include "mac_system_calls.h"

#include <chrono>
#include <memory>

namespace tessik::platform {

// The Mac itself: Launch Services, uniform types and the workspace, through the system calls it is given. Bundles
// are read from disk as on the emulated machine; everything else is asked of the system.
class MacBackend final : public Backend
{
public:
    // How long a confirmed change waits for the system's answer: the user may take a while to answer its question,
    // but a change the system never answers must not hold the apply run forever.
    static constexpr std::chrono::minutes defaultConfirmationTimeout{10};

    explicit MacBackend(std::shared_ptr<MacSystemCalls> calls,
                        std::chrono::milliseconds confirmationTimeout = defaultConfirmationTimeout);

    QList<QUrl> applicationDirectories() const override;
    bool isApplication(const QUrl& url) const override;
    std::shared_ptr<const BundleData> openBundle(const QUrl& url) const override;
    std::optional<QUrl> applicationURL(const QString& bundleIdentifier) const override;
    // The bundle's .icns file, else the workspace's icon drawn into the user's cache folder (applications whose
    // icon lives only in an asset catalog have no icon file).
    std::optional<QString> applicationIcon(const QUrl& applicationURL) const override;
    OSStatus registerApplication(const QUrl& url) override;

    QString wellKnownType(WellKnownType type) const override;
    std::shared_ptr<const TypeRecord> type(const QString& identifier) const override;
    std::shared_ptr<const TypeRecord> typeForExtension(const QString& extension,
                                                       const QString& supertype) const override;
    std::shared_ptr<const TypeRecord> typeForFile(const QString& path) const override;

    std::optional<QString> defaultHandler(const QString& contentType, LSRolesMask role) const override;
    // A stored choice in the user's Launch Services preferences when it is the one the system answers; otherwise
    // the system's choice, of which it tells nothing more.
    HandlerExplanation explainDefaultHandler(const QString& contentType, LSRolesMask role) const override;
    OSStatus setDefaultHandler(const QString& contentType, LSRolesMask role, const QString& handler) override;
    QList<StoredHandler> storedHandlers() const override;
    QStringList urlSchemeHandlers(const QString& scheme) const override;
    std::optional<QString> defaultURLSchemeHandler(const QString& scheme) const override;
    OSStatus setURLSchemeHandler(const QString& scheme, const QString& handler) override;
    // The system does not say why; its answer is all there is.
    HandlerExplanation explainURLSchemeHandler(const QString& scheme) const override;
    bool urlSchemeChangesNeedConfirmation(const QString& scheme) const override { return isWebScheme(scheme); }
    // The system asks the user itself; `ask` is not used.
    std::optional<NSError> setDefaultApplicationForURLScheme(const QUrl& applicationURL, const QString& scheme,
                                                             const ConfirmationHandler& ask) override;
    bool defaultChangesNeedConfirmation() const override { return true; }
    // The system asks the user itself; `ask` is not used.
    std::optional<NSError> setDefaultApplication(const QUrl& applicationURL, const UTType& contentType,
                                                 const ConfirmationHandler& ask) override;
    bool openURL(const QUrl& url) override;
    bool usesInstalledOpener() const override { return false; }
    bool hasNativeOpenPanel() const override { return true; }

    QString bundleCacheFile() const override;
    QUrl homeDirectory() const override;
    QUrl applicationSupportDirectory() const override;
    // The user defaults of the program's bundle identifier, where `defaults` and the system look for them.
    std::unique_ptr<QSettings> openDefaults() const override;
    QStringList preferredLanguages() const override;

    // The organisation and application names under which QSettings keeps a bundle identifier's defaults on a Mac
    // ("com.tessik.Tessik" → "tessik.com", "Tessik").
    static std::pair<QString, QString> settingsNames(const QString& bundleIdentifier);

private:
    static std::shared_ptr<const TypeRecord> record(const MacTypeFacts& facts);
    // Starts a change through `start` and waits for the system's answer.
    std::optional<NSError> awaitChange(const std::function<bool(MacSystemCalls::Completion)>& start) const;
    QString programIdentifier() const;

    std::shared_ptr<MacSystemCalls> m_calls;
    std::chrono::milliseconds m_confirmationTimeout;
};

} // namespace tessik::platform
