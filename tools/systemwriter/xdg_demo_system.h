#pragma once

#include <QString>

namespace tessik::tools {

// A sandboxed Linux desktop in a folder: the desktop entries of well-known applications with their icons, the MIME
// caches, the user's, the administrator's and the distribution's mimeapps.list files, and a stand-in in usr/bin for
// each program the entries run. The session that uses it points HOME and the XDG base directories into the folder,
// so nothing of the real desktop shows through, and puts usr/bin first on its PATH.
class XdgDemoSystem
{
public:
    // Writes the desktop into `root`, replacing one written there before. Returns the number of desktop entries.
    // Throws std::runtime_error for a non-empty folder that holds something else, or when a file cannot be written.
    static int write(const QString& root);
    // The shell lines that select the desktop in `root`: an emulated Mac chosen by the environment is let go
    // first, then one `export NAME='value'` a line; PATH keeps what follows.
    static QString environment(const QString& root);
    // Whether `root` holds a desktop this writer wrote.
    static bool isDesktop(const QString& root);
};

} // namespace tessik::tools
