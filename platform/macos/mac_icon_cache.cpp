#include "mac_icon_cache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tessik::platform {

MacIconCache::MacIconCache(QString folder) : m_folder(std::move(folder)) {}

std::optional<QString> MacIconCache::icon(const QString& bundlePath,
                                          const std::function<bool(const QString& pngPath)>& draw) const
{
    const QString bundle = QDir::cleanPath(bundlePath);
    const QFileInfo folder(bundle);
    if (!folder.isDir())
        return std::nullopt;
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(bundle.toUtf8(), QCryptographicHash::Sha256).toHex().left(32));
    const QString png = m_folder + u'/' + name + u".png"_s;

    // Replacing an application, or a new icon in it, touches the bundle folder or its Info.plist.
    QDateTime changed = folder.lastModified();
    if (const QFileInfo info(bundle + u"/Contents/Info.plist"_s); info.exists() && info.lastModified() > changed)
        changed = info.lastModified();
    if (const QFileInfo cached(png); cached.isFile() && cached.size() > 0 && cached.lastModified() >= changed)
        return png;

    if (!QDir().mkpath(m_folder) || !draw(png) || !QFileInfo(png).isFile())
        return std::nullopt;
    return png;
}

} // namespace tessik::platform
