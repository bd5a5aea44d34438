#pragma once

#include "mac_system_calls.h"

namespace tessik::platform {

// The system calls of a real Mac: Launch Services, UniformTypeIdentifiers and the shared NSWorkspace. Built only on
// Apple platforms (Objective-C++ with ARC).
class CocoaSystemCalls final : public MacSystemCalls
{
public:
    std::optional<QString> copyDefaultRoleHandler(const QString& contentType, LSRolesMask role) override;
    OSStatus setDefaultRoleHandler(const QString& contentType, LSRolesMask role, const QString& handler) override;
    QVariantList storedLaunchServicesHandlers() override;
    OSStatus registerURL(const QUrl& url) override;
    std::optional<QUrl> urlForApplication(const QString& bundleIdentifier) override;
    QStringList applicationsForURLScheme(const QString& scheme) override;
    std::optional<QString> copyDefaultHandlerForURLScheme(const QString& scheme) override;
    OSStatus setDefaultHandlerForURLScheme(const QString& scheme, const QString& handler) override;
    bool setDefaultApplicationForURLScheme(const QUrl& applicationURL, const QString& scheme,
                                           Completion completion) override;
    bool setDefaultApplication(const QUrl& applicationURL, const QString& contentType, Completion completion) override;
    std::optional<MacTypeFacts> typeWithIdentifier(const QString& identifier) override;
    std::optional<MacTypeFacts> typeWithFilenameExtension(const QString& extension, const QString& supertype) override;
    bool writeIconPNG(const QString& path, int pixels, const QString& pngPath) override;
    bool openURL(const QUrl& url) override;
    QStringList preferredLanguages() override;
};

} // namespace tessik::platform
