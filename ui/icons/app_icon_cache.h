#pragma once

#include "core/records/installed_app.h"

#include <QHash>
#include <QPixmap>
#include <QString>

#include <optional>

namespace tessik::ui {

// Application icons by bundle path, at the sizes the views draw: the platform is asked for a bundle's icon file at
// most once, and each size is decoded and scaled once. Interface thread only.
class AppIconCache
{
public:
    // The icon at `points` × the device pixel ratio; the generic application icon when the bundle has none.
    static QPixmap icon(const InstalledApp& app, int points, qreal devicePixelRatio);
    // How often the platform was asked, for tests.
    static int platformLookups();

private:
    static AppIconCache& shared();
    QPixmap load(const QString& bundlePath, const QUrl& url, int pixels);

    QHash<QString, std::optional<QString>> m_iconFiles;
    QHash<QString, QPixmap> m_pixmaps;
    int m_lookups = 0;
};

} // namespace tessik::ui
