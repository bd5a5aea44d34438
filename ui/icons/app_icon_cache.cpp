#include "app_icon_cache.h"

#include "desktop_icon_theme.h"
#include "platform/file_stamp.h"
#include "platform/workspace.h"
#include "system_images.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>

using namespace Qt::StringLiterals;

namespace tessik::ui {
namespace {

// The index of the smallest width that is at least `pixels`, else of the largest: decoding or scaling down a
// bigger picture than needed would be wasted, and scaling up a small one blurs it.
qsizetype bestWidth(const QList<int>& widths, int pixels)
{
    qsizetype best = -1;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const int width = widths[i];
        const bool bigEnough = width >= pixels;
        const bool bestIsBigEnough = best >= 0 && widths[best] >= pixels;
        if (best < 0 || (bigEnough && (!bestIsBigEnough || width < widths[best])) ||
            (!bigEnough && !bestIsBigEnough && width > widths[best]))
            best = i;
    }
    return best;
}

// An .icns holds many sizes; they are read from the file's table, so only the chosen image is decoded. A pipe or
// device named as an icon is never opened, not even without waiting.
QImage bestImage(const QString& path, int pixels)
{
    constexpr qint64 maximumIconFileSize = 32 * 1024 * 1024;
    if (!platform::FileStamp::isMissingOrRegular(path))
        return {};
    platform::FileStamp stamp;
    const std::optional<QByteArray> bytes = platform::FileStamp::read(path, maximumIconFileSize, stamp);
    if (!bytes)
        return {};
    QBuffer file;
    file.setData(*bytes);
    file.open(QIODevice::ReadOnly);
    QImageReader reader(&file);
    QList<int> widths;
    const int count = std::max(reader.imageCount(), 1);
    for (int index = 0; index < count; ++index) {
        if (index > 0 && !reader.jumpToImage(index))
            break;
        widths.append(reader.size().width());
    }
    const qsizetype best = bestWidth(widths, pixels);
    QBuffer again;
    again.setData(*bytes);
    again.open(QIODevice::ReadOnly);
    QImageReader chosen(&again);
    if (best > 0)
        chosen.jumpToImage(int(best));
    return chosen.read();
}

// A theme answers a size between its folders' with the smaller picture, which would leave a large header small.
QPixmap themedPixmap(const QIcon& icon, int pixels)
{
    const QList<QSize> sizes = icon.availableSizes();
    QList<int> widths;
    for (const QSize& size : sizes)
        widths.append(size.width());
    const qsizetype best = bestWidth(widths, pixels);
    const QPixmap pixmap = icon.pixmap(best < 0 ? QSize(pixels, pixels) : sizes[best]);
    return pixmap.width() == pixels ? pixmap
                                    : pixmap.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
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
            return themedPixmap(themed, pixels);
    } else if (*file) {
        const QImage image = bestImage(**file, pixels);
        if (!image.isNull())
            return QPixmap::fromImage(image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    return SystemImages::drawn(SystemImages::Symbol::genericApplication).pixmap(pixels, pixels);
}

} // namespace tessik::ui
