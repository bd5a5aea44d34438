#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <optional>

namespace tessik::platform {

using OSStatus = std::int32_t;
using LSRolesMask = std::uint32_t;

inline constexpr LSRolesMask kLSRolesNone = 0x00000001;
inline constexpr LSRolesMask kLSRolesViewer = 0x00000002;
inline constexpr LSRolesMask kLSRolesEditor = 0x00000004;
inline constexpr LSRolesMask kLSRolesShell = 0x00000008;
inline constexpr LSRolesMask kLSRolesAll = 0xFFFFFFFF;

inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus paramErr = -50;
inline constexpr OSStatus ioErr = -36;

// The bundle identifier of the application that opens the content type in the role, or none.
std::optional<QString> LSCopyDefaultRoleHandlerForContentType(const QString& contentType, LSRolesMask role);

// Records the handler for the content type in the role; noErr when the database accepted it.
OSStatus LSSetDefaultRoleHandlerForContentType(const QString& contentType, LSRolesMask role,
                                               const QString& handlerBundleID);

struct StoredHandler;
// Not a call of Launch Services itself: the choices it keeps in the user's preferences, read where it keeps them.
QList<StoredHandler> LSCopyStoredHandlers();

// The bundle identifiers of the installed applications that declare the URL scheme.
QStringList LSCopyAllHandlersForURLScheme(const QString& scheme);

// The bundle identifier of the application that opens links of the URL scheme (no colon, any case), or none.
std::optional<QString> LSCopyDefaultHandlerForURLScheme(const QString& scheme);

// Records the application that opens links of the URL scheme; noErr when the database accepted it.
OSStatus LSSetDefaultHandlerForURLScheme(const QString& scheme, const QString& handlerBundleID);

// Tells Launch Services about an application bundle wherever it is, so that it is known from now on and its
// claims count at once; the registration is kept. paramErr when the URL is not a folder.
OSStatus LSRegisterURL(const QUrl& url, bool update);

} // namespace tessik::platform
