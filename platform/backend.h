#pragma once

#include "handler_explanation.h"
#include "launch_services.h"
#include "stored_handler.h"
#include "workspace.h"

#include <QList>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace tessik::platform {

struct BundleData;
struct TypeRecord;

// What differs between the systems the platform layer serves. The layer's functions ask the backend of the
// moment: the emulated Mac when a system root is set (at start-up, or per test), otherwise the machine's own system
// (see nativeSystem()): the Mac on a Mac build, else the freedesktop.org desktop.
class Backend
{
public:
    virtual ~Backend() = default;

    static Backend& current();
    // Called whenever the freedesktop.org backend is reached; tests install one that fails outside their sandbox.
    static void setDesktopAccessCheck(std::function<void()> check);

    // The folders whose applications are installed, in the order in which a later copy of an identifier wins.
    virtual QList<QUrl> applicationDirectories() const = 0;
    // Whether an item met in those folders (or picked by the user) is an application the system would use.
    virtual bool isApplication(const QUrl& url) const = 0;
    // The application's bundle contents, or nothing when the URL is not a readable bundle.
    virtual std::shared_ptr<const BundleData> openBundle(const QUrl& url) const = 0;
    virtual std::optional<QUrl> applicationURL(const QString& bundleIdentifier) const = 0;
    // An icon file or, on a desktop with icon themes, a theme icon name.
    virtual std::optional<QString> applicationIcon(const QUrl& applicationURL) const = 0;
    virtual OSStatus registerApplication(const QUrl& url) = 0;

    enum class WellKnownType
    {
        data,
        item,
        cameraRawImage,
    };
    // The platform's identifier of a type the core names.
    virtual QString wellKnownType(WellKnownType type) const = 0;
    virtual std::shared_ptr<const TypeRecord> type(const QString& identifier) const = 0;
    virtual std::shared_ptr<const TypeRecord> typeForExtension(const QString& extension,
                                                               const QString& supertype) const = 0;
    // The type of the file at the path as the system tells it, or nothing when it cannot.
    virtual std::shared_ptr<const TypeRecord> typeForFile(const QString& path) const = 0;

    virtual std::optional<QString> defaultHandler(const QString& contentType, LSRolesMask role) const = 0;
    // The same answer, with what decided it and what was passed over on the way.
    virtual HandlerExplanation explainDefaultHandler(const QString& contentType, LSRolesMask role) const = 0;
    virtual OSStatus setDefaultHandler(const QString& contentType, LSRolesMask role, const QString& handler) = 0;
    // The defaults the user chose, as the system stores them, whether or not their applications are installed.
    virtual QList<StoredHandler> storedHandlers() const = 0;
    // The installed applications that declare the URL scheme (any case).
    virtual QStringList urlSchemeHandlers(const QString& scheme) const = 0;
    // The application that opens links of the scheme (no colon, any case), or none.
    virtual std::optional<QString> defaultURLSchemeHandler(const QString& scheme) const = 0;
    virtual OSStatus setURLSchemeHandler(const QString& scheme, const QString& handler) = 0;
    // Why defaultURLSchemeHandler answers what it does; its deciding type is the scheme's identifier ("https:").
    virtual HandlerExplanation explainURLSchemeHandler(const QString& scheme) const = 0;
    // Whether the system asks the user before another application takes the scheme's links (a Mac does for the
    // web's).
    virtual bool urlSchemeChangesNeedConfirmation(const QString& scheme) const;
    // Makes the application the one for the scheme's links once the user agreed, as setDefaultApplication does
    // for a type.
    virtual std::optional<NSError> setDefaultApplicationForURLScheme(const QUrl& applicationURL, const QString& scheme,
                                                                     const ConfirmationHandler& ask);
    // Whether making an application the default for every role asks the user first.
    virtual bool defaultChangesNeedConfirmation() const = 0;
    // Makes the application the default for every role of the type once the user agreed; the error that stopped
    // it, if any (a refusal is the Cocoa user-cancelled error). Here `ask` puts the program's own question; a system
    // that asks the user itself does so instead.
    virtual std::optional<NSError> setDefaultApplication(const QUrl& applicationURL, const UTType& contentType,
                                                         const ConfirmationHandler& ask);
    // Opens the URL when no opener of the program's own is installed (or the backend records instead).
    virtual bool openURL(const QUrl& url) = 0;
    // Whether an opener the program installs takes precedence over openURL.
    virtual bool usesInstalledOpener() const = 0;
    // Whether the system's own open panel picks applications: it knows a bundle from a folder by itself.
    virtual bool hasNativeOpenPanel() const { return false; }

    // The file that keeps what was read of the bundles from one run to the next, in the user's cache folder; empty
    // where applications are not bundles.
    virtual QString bundleCacheFile() const { return {}; }

    virtual QUrl homeDirectory() const = 0;
    virtual QUrl applicationSupportDirectory() const = 0;
    // The defaults store; empty and never saved when its file cannot be used.
    virtual std::unique_ptr<QSettings> openDefaults() const = 0;
    virtual QStringList preferredLanguages() const = 0;

protected:
    // QSettings opens its file and its lock file as they are; a pipe at either would hang it, so then the store
    // is one without a file.
    static std::unique_ptr<QSettings> settingsFile(const QString& path, QSettings::Format format);
    // The schemes of web links, whose handler a Mac changes only with the user's consent.
    static bool isWebScheme(const QString& scheme);
    // The uniform type identifiers of the types the core names, as every Mac (real or emulated) spells them.
    static QString uniformTypeIdentifier(WellKnownType type);
};

} // namespace tessik::platform
