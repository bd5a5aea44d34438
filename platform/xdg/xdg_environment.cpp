#include "xdg_environment.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

// Relative paths are invalid in these variables and are ignored, as the base directory rules say.
QString directory(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : fallback;
}

QStringList directories(const char* variable, const QStringList& fallback)
{
    QStringList list;
    for (const QString& entry : qEnvironmentVariable(variable).split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(entry) && !list.contains(QDir::cleanPath(entry)))
            list.append(QDir::cleanPath(entry));
    return list.isEmpty() ? fallback : list;
}

} // namespace

XdgEnvironment XdgEnvironment::current()
{
    XdgEnvironment environment;
    environment.home = QDir::cleanPath(QDir::homePath());
    environment.dataHome = directory("XDG_DATA_HOME", environment.home + u"/.local/share"_s);
    environment.dataDirs = directories("XDG_DATA_DIRS", {u"/usr/local/share"_s, u"/usr/share"_s});
    environment.configHome = directory("XDG_CONFIG_HOME", environment.home + u"/.config"_s);
    environment.configDirs = directories("XDG_CONFIG_DIRS", {u"/etc/xdg"_s});
    for (const QString& desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        if (const QString name = desktop.trimmed().toLower(); !name.isEmpty() && !environment.desktops.contains(name))
            environment.desktops.append(name);
    return environment;
}

QStringList XdgEnvironment::applicationDirectories() const
{
    QStringList folders{dataHome + u"/applications"_s};
    for (const QString& dir : dataDirs)
        folders.append(dir + u"/applications"_s);
    folders.removeDuplicates();
    return folders;
}

QStringList XdgEnvironment::mimeAppsDirectories() const
{
    QStringList folders{configHome};
    folders.append(configDirs);
    folders.append(applicationDirectories());
    folders.removeDuplicates();
    return folders;
}

} // namespace tessik::platform
