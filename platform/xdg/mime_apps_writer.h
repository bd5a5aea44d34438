#pragma once

#include "platform/xdg/xdg_environment.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace tessik::platform {

// Sets the user's default application of a MIME type in $XDG_CONFIG_HOME/mimeapps.list by editing only the entries
// of that type (a symbolic link is followed and its target edited). Writers are serialised by a lock file beside the
// list, within and across processes; the file is replaced atomically and keeps its permissions (0600 when new).
class MimeAppsWriter
{
public:
    // The application becomes the first of the type's defaults, the earlier ones stay behind it as fallbacks, and
    // default entries under the type's aliases are folded in. The application is added to the type's associations
    // and no longer removed from them. Throws NSError with the list's path when the file cannot be read or written.
    static void setDefault(const XdgEnvironment& environment, const QString& canonicalType,
                           const QStringList& aliasesOfType, const QString& desktopId);

    // Tests only: runs once the new contents are in the temporary file and before it replaces the list.
    static void setBeforeCommitHook(std::function<void()> hook);
};

} // namespace tessik::platform
