#pragma once

#include "../launch_services.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantList>

#include <functional>
#include <optional>

namespace tessik::platform {

// What the system says about a uniform type.
struct MacTypeFacts
{
    QString identifier;
    QString localizedDescription;
    QStringList filenameExtensions;
    QStringList mimeTypes;
    // Every type it conforms to, directly or not.
    QStringList supertypes;
    bool dynamic = false;
};

// One error of the system's: the error itself first, then the errors it wraps, outermost first.
struct MacErrorFacts
{
    QString domain;
    qint64 code = 0;
    QString description;
    QString filePath;

    bool operator==(const MacErrorFacts&) const = default;
};
using MacErrorChain = QList<MacErrorFacts>;

// The few calls the Mac's own backend makes into the system, each no more than the call itself, so that everything
// deciding around them runs (and is tested) anywhere. The real ones are Objective-C++ and exist only on a Mac.
class MacSystemCalls
{
public:
    virtual ~MacSystemCalls() = default;

    virtual std::optional<QString> copyDefaultRoleHandler(const QString& contentType, LSRolesMask role) = 0;
    virtual OSStatus setDefaultRoleHandler(const QString& contentType, LSRolesMask role, const QString& handler) = 0;
    // The LSHandlers array of the user's Launch Services preferences, dictionaries of strings as stored; empty when
    // there is none.
    virtual QVariantList storedLaunchServicesHandlers() = 0;
    virtual OSStatus registerURL(const QUrl& url) = 0;
    virtual std::optional<QUrl> urlForApplication(const QString& bundleIdentifier) = 0;
    // The bundle identifiers of the applications that can open links of the scheme.
    virtual QStringList applicationsForURLScheme(const QString& scheme) = 0;

    virtual std::optional<QString> copyDefaultHandlerForURLScheme(const QString& scheme) = 0;
    virtual OSStatus setDefaultHandlerForURLScheme(const QString& scheme, const QString& handler) = 0;

    // Empty chain on success. Called once, on whatever thread the system chooses.
    using Completion = std::function<void(const MacErrorChain& error)>;
    // Starts the change and answers at once; false when the type is not one the system knows, and then
    // `completion` is never called.
    virtual bool setDefaultApplication(const QUrl& applicationURL, const QString& contentType,
                                       Completion completion) = 0;

    // The same for the links of a URL scheme (no colon); false when the system offers no such change.
    virtual bool setDefaultApplicationForURLScheme(const QUrl& applicationURL, const QString& scheme,
                                                   Completion completion) = 0;

    virtual std::optional<MacTypeFacts> typeWithIdentifier(const QString& identifier) = 0;
    virtual std::optional<MacTypeFacts> typeWithFilenameExtension(const QString& extension,
                                                                  const QString& supertype) = 0;

    // Draws the workspace's icon of the file as a `pixels`-square PNG at `pngPath`; false when nothing was written.
    virtual bool writeIconPNG(const QString& path, int pixels, const QString& pngPath) = 0;
    virtual bool openURL(const QUrl& url) = 0;
    virtual QStringList preferredLanguages() = 0;
};

} // namespace tessik::platform
