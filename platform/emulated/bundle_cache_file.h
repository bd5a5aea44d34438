#pragma once

#include "../file_stamp.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <vector>

namespace tessik::platform {

// What was read of one bundle, with the stamps of the files it was read from.
struct CachedBundle
{
    QUrl url;
    QString path;
    QVariantMap info;
    QVariantMap localized;
    QString resourcesPath;
    std::vector<FileStamp> stamps;
};

// The file in the user's cache folder that keeps what was read of the bundles from one run to the next. It is
// versioned and checksummed: one that is missing, of another version or does not read back whole is read as empty,
// and the next write replaces it. Whether an entry still describes its bundle is for its stamps to tell.
class BundleCacheFile
{
public:
    static constexpr quint32 version = 3;

    // The file's entries by bundle path, each still encoded, and the strings they share: whoever opens a bundle
    // decodes its entry, so that the threads reading the bundles share the decoding and bundles nobody opens cost
    // nothing.
    struct Contents
    {
        std::shared_ptr<const QStringList> strings = std::make_shared<const QStringList>();
        QHash<QString, QByteArray> entries;
    };
    static Contents read(const QString& path);
    // An entry of read() with the strings read with it; nothing when it does not decode whole.
    static std::optional<CachedBundle> decode(QByteArrayView entry, const QStringList& strings);
    // Replaces the file atomically; throws NSError when it cannot be written.
    static void write(const QString& path, const std::vector<CachedBundle>& bundles);
};

} // namespace tessik::platform
