#include "app_icon_cache.h"

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
    QImage best;
    for (int index = 0; index == 0 || reader.jumpToNextImage(); ++index) {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        const bool bigEnough = image.width() >= pixels;
        const bool bestIsBigEnough = !best.isNull() && best.width() >= pixels;
        if (best.isNull() || (bigEnough && (!bestIsBigEnough || image.width() < best.width()))
            || (!bigEnough && !bestIsBigEnough && image.width() > best.width()))
            best = image;
        if (reader.imageCount() <= 1)
            break;
    }
    return best;
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
    if (*file) {
        const QImage image = bestImage(**file, pixels);
        if (!image.isNull())
            return QPixmap::fromImage(
                image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    return SystemImages::drawn(SystemImages::Symbol::genericApplication).pixmap(pixels, pixels);
}

} // namespace tessik::ui
