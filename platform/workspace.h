#pragma once

#include "ns_error.h"
#include "uniform_type.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace tessik::platform {

// What the system asks the user before an application becomes the default for a content type.
struct DefaultApplicationQuestion
{
    QUrl applicationURL;
    QString applicationName;
    QString bundleIdentifier;
    // For a URL scheme, its identifier ("https:") and the scheme as its description.
    QString contentType;
    QString contentTypeDescription;
};

// Answers true to accept the change.
using ConfirmationHandler = std::function<bool(const DefaultApplicationQuestion&)>;

// The shared workspace: where applications are and what opens what.
class Workspace
{
public:
    // The installed copy of the application, or nothing.
    static std::optional<QUrl> urlForApplicationWithBundleIdentifier(const QString& bundleIdentifier);

    // Whether setDefaultApplication asks the user; where it does not, a default is set role by role directly.
    static bool defaultApplicationChangesNeedConfirmation();

    // Makes the application the default for every role of the type after asking the user. Blocks until
    // answered; a refusal is the Cocoa user-cancelled error.
    static std::optional<NSError> setDefaultApplication(const QUrl& applicationURL, const UTType& contentType);

    // Whether setDefaultApplicationToOpenURLsWithScheme asks the user for this scheme; where it does not, the
    // scheme's handler is set directly.
    static bool urlSchemeChangesNeedConfirmation(const QString& scheme);

    // Makes the application the one that opens links of the scheme (no colon) after asking the user. Blocks until
    // answered; a refusal is the Cocoa user-cancelled error.
    static std::optional<NSError> setDefaultApplicationToOpenURLsWithScheme(const QUrl& applicationURL,
                                                                            const QString& scheme);

    // Who answers the confirmation. Without one the system has nobody to ask and refuses.
    static void setConfirmationHandler(ConfirmationHandler handler);

    // Opens the URL with the application that handles its scheme; false when no application does.
    static bool openURL(const QUrl& url);
    // Who opens URLs on a real desktop (the desktop program installs one); an emulated machine records them instead.
    static void setURLOpener(std::function<bool(const QUrl&)> opener);

    // Whether applications are picked in the system's own open panel, which treats bundles as packages; where it
    // does not, the program's panel has to tell a bundle from a folder.
    static bool pickApplicationsInNativePanel();

    // The bundle's icon file (.icns), or on a desktop with icon themes an icon file or a theme icon name; nothing
    // when it has none and the generic icon stands in.
    static std::optional<QString> iconFileForApplication(const QUrl& applicationURL);
};

} // namespace tessik::platform
