#pragma once

#include <QString>
#include <QStringList>

namespace tessik::platform {

// The freedesktop.org base directories and desktop names, read from the environment at the moment of the call,
// with the defaults the base directory rules give for unset or empty variables.
struct XdgEnvironment
{
    QString home;
    QString dataHome;
    QStringList dataDirs;
    QString configHome;
    QStringList configDirs;
    // The components of XDG_CURRENT_DESKTOP, ASCII-lowercased, empty ones dropped.
    QStringList desktops;

    static XdgEnvironment current();

    // $XDG_DATA_HOME/applications, then each $XDG_DATA_DIRS/applications.
    QStringList applicationDirectories() const;
    // The folders whose mimeapps.list files count, most important first: the config home, the config dirs, then
    // the application folders of the data home and the data dirs.
    QStringList mimeAppsDirectories() const;

    // The one file this program writes.
    QString userMimeAppsList() const { return configHome + QStringLiteral("/mimeapps.list"); }
};

} // namespace tessik::platform
