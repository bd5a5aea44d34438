#pragma once

#include <QString>

namespace tessik::platform {

// Where the emulated machine keeps things, as paths of the host's file system.
class MachinePaths
{
public:
    // The host path of an absolute path of the machine ("/Applications" and so on).
    static QString path(const QString& absolutePath);
    static QString home();
    static QString preferences();
    // The user's global defaults (AppleLanguages and the like).
    static QString globalPreferences();
    // The per-user Launch Services handler database.
    static QString handlerDatabase();
    // The optional Emulation.plist at the root; empty on the real machine.
    static QString emulationSettings();
    // Where opened URLs are recorded instead of being opened on the host.
    static QString openedURLsLog();
    // The bundles registered with LSRegisterURL, beside the handler database.
    static QString registrations();
    // The lock file that serialises changes to both.
    static QString launchServicesLock();
    // The folders whose applications Launch Services knows, in the order it prefers them.
    static QStringList applicationFolders();
};

} // namespace tessik::platform
