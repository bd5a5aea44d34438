#include "app_icon_cache.h"

#include "desktop_icon_theme.h"
#include "platform/workspace.h"
#include "system_images.h"

#include <QDir>
#include <QImageReader>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

// The smallest image of the file that is at least `pixels` wide, else the largest: an .icns holds many sizes and
// decoding all of them for a 28-point row would be wasted.
QImage bestImage(const QString& path, int pixels)
{
    QImageReader reader(path);
    // Sizes are read from the file's table, so only the chosen image is decoded.
    int best = -1;
    int bestWidth = 0;
    const int count = std::max(reader.imageCount(), 1);
    for (int index = 0; index < count; ++index) {
        if (index > 0 && !reader.jumpToImage(index))
            break;
        const int width = reader.size().width();
        const bool bigEnough = width >= pixels;
        const bool bestIsBigEnough = best >= 0 && bestWidth >= pixels;
        if (best < 0 || (bigEnough && (!bestIsBigEnough || width < bestWidth)) ||
            (!bigEnough && !bestIsBigEnough && width > bestWidth)) {
            best = index;
            bestWidth = width;
        }
    }
    QImageReader chosen(path);
    if (best > 0)
        chosen.jumpToImage(best);
    return chosen.read();
}

} // namespace

AppIconCache& AppIconCache::shared()
{
    static AppIconCache cache;
    return cache;
}

int AppIconCache::platformLookups()
{
    return shared().m_lookups;
}

QPixmap AppIconCache::icon(const InstalledApp& app, int points, qreal devicePixelRatio)
{
    const int pixels = qRound(points * devicePixelRatio);
    const QString bundlePath = QDir::cleanPath(app.url.toLocalFile());
    const QString key = bundlePath + u'\n' + QString::number(pixels);
    AppIconCache& cache = shared();
    if (const auto found = cache.m_pixmaps.constFind(key); found != cache.m_pixmaps.cend())
        return *found;
    QPixmap pixmap = cache.load(bundlePath, app.url, pixels);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    cache.m_pixmaps.insert(key, pixmap);
    return pixmap;
}

QPixmap AppIconCache::load(const QString& bundlePath, const QUrl& url, int pixels)
{
    auto file = m_iconFiles.constFind(bundlePath);
    if (file == m_iconFiles.cend()) {
        ++m_lookups;
        file = m_iconFiles.insert(bundlePath, platform::Workspace::iconFileForApplication(url));
    }
    // A desktop entry names a theme icon; a bundle has an icon file.
    if (*file && !QDir::isAbsolutePath(**file)) {
        if (const QIcon themed = DesktopIconTheme::icon(**file); !themed.isNull())
            return themed.pixmap(pixels, pixels);
    } else if (*file) {
        const QImage image = bestImage(**file, pixels);
        if (!image.isNull())
            return QPixmap::fromImage(image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    return SystemImages::drawn(SystemImages::Symbol::genericApplication).pixmap(pixels, pixels);
}

} // namespace tessik::ui
