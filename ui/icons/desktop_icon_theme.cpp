#include "desktop_icon_theme.h"

#include "platform/xdg/xdg_environment.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

// Follows the environment, which a test or a sandboxed session may point elsewhere.
void useSearchPaths()
{
    const platform::XdgEnvironment environment = platform::XdgEnvironment::current();
    QStringList paths{environment.dataHome + u"/icons"_s};
    for (const QString& folder : environment.dataDirs)
        paths.append(folder + u"/icons"_s);
    if (QIcon::themeSearchPaths() != paths)
        QIcon::setThemeSearchPaths(paths);
    if (QIcon::fallbackThemeName().isEmpty())
        QIcon::setFallbackThemeName(u"hicolor"_s);
    // Without a desktop session no theme is named, and hicolor is where every application installs its icon.
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(u"hicolor"_s);
}

} // namespace

QIcon DesktopIconTheme::icon(const QString& name)
{
    if (name.isEmpty())
        return {};
    useSearchPaths();
    // Entries written for old desktops sometimes name the file rather than the icon.
    QString iconName = name;
    for (const QString& suffix : {u".png"_s, u".svg"_s, u".xpm"_s})
        if (iconName.endsWith(suffix))
            iconName.chop(suffix.size());
    if (QIcon icon = QIcon::fromTheme(iconName); !icon.isNull())
        return icon;
    // The pixmaps folders come last and hold files, not themes.
    const platform::XdgEnvironment environment = platform::XdgEnvironment::current();
    for (const QString& folder : environment.dataDirs)
        for (const QString& suffix : {u".png"_s, u".svg"_s, u".xpm"_s})
            if (const QString path = folder + u"/pixmaps/"_s + iconName + suffix; QFileInfo(path).isFile())
                return QIcon(path);
    return {};
}

} // namespace tessik::ui
