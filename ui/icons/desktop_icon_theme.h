#pragma once

#include <QIcon>
#include <QString>

namespace tessik::ui {

// Icons named by desktop entries, found as the icon theme rules say: the desktop's theme, then hicolor, in the
// icons folders of the data home and the data dirs, then the old pixmaps folder.
class DesktopIconTheme
{
public:
    // The icon of a theme icon name; a null icon when no theme has it.
    static QIcon icon(const QString& name);
};

} // namespace tessik::ui
