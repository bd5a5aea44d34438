#pragma once

#include "platform/xdg/xdg_environment.h"

#include <QString>

namespace tessik::platform {

// Gives a filename extension that no MIME type claims a type of its own, application/x-extension-EXT, in the
// user's MIME database, as GLib does before setting a default application for such an extension.
class UserMimePackage
{
public:
    struct Registration
    {
        QString mimeType;
        QString packageFile;
        // False when update-mime-database is missing or failed: the package is written, but the type is not
        // known until the database is rebuilt.
        bool databaseRebuilt = false;
    };

    // Writes $XDG_DATA_HOME/mime/packages/user-extension-EXT.xml and rebuilds $XDG_DATA_HOME/mime. Throws NSError
    // when the extension cannot name a file or the package cannot be written.
    // Whether the extension can have a type of its own (plain ASCII letters, digits and a few marks).
    static bool canRegister(const QString& extension);
    static Registration registerExtension(const XdgEnvironment& environment, const QString& extension);
};

} // namespace tessik::platform
