#include "machine_paths.h"

#include "../system_root.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace tessik::platform {

QString MachinePaths::path(const QString& absolutePath)
{
    return QDir::cleanPath(systemRoot() + u'/' + absolutePath);
}

QString MachinePaths::home()
{
    const QString root = systemRoot();
    return root.isEmpty() ? QDir::homePath() : root + u"/home"_s;
}

QString MachinePaths::preferences()
{
    return home() + u"/Library/Preferences"_s;
}

QString MachinePaths::globalPreferences()
{
    return preferences() + u"/.GlobalPreferences.plist"_s;
}

QString MachinePaths::handlerDatabase()
{
    return preferences() + u"/com.apple.LaunchServices/com.apple.launchservices.secure.plist"_s;
}

QString MachinePaths::emulationSettings()
{
    const QString root = systemRoot();
    return root.isEmpty() ? QString() : root + u"/Emulation.plist"_s;
}

QString MachinePaths::openedURLsLog()
{
    return home() + u"/Library/Logs/OpenedURLs.log"_s;
}

QString MachinePaths::registrations()
{
    return preferences() + u"/com.apple.LaunchServices/com.apple.launchservices.registrations.plist"_s;
}

QString MachinePaths::launchServicesLock()
{
    return handlerDatabase() + u".lock"_s;
}

QStringList MachinePaths::applicationFolders()
{
    return {path(u"/Applications"_s), path(u"/System/Applications"_s), home() + u"/Applications"_s};
}

} // namespace tessik::platform
