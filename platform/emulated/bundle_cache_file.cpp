#include "bundle_cache_file.h"

#include "../file_manager.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>

namespace tessik::platform {
namespace {

constexpr char magic[] = "TessikBundles";
// Finds damage, not tampering: the folder is the user's own, like the applications folder it describes.
constexpr auto checksum = QCryptographicHash::Md5;
// Larger than the cache of any real machine; a bigger file is not ours.
constexpr qint64 maximumSize = 256 * 1024 * 1024;

// A stamp of a file inside the bundle keeps only the rest of its path.
void writeStamp(QDataStream& stream, const FileStamp& stamp, const QString& bundle)
{
    const bool inside = stamp.path.startsWith(bundle) && stamp.path.size() > bundle.size();
    stream << inside << (inside ? stamp.path.sliced(bundle.size()) : stamp.path) << stamp.modifiedNs << stamp.size
           << stamp.inode;
}

void readStamp(QDataStream& stream, FileStamp& stamp, const QString& bundle)
{
    bool inside = false;
    stream >> inside >> stamp.path >> stamp.modifiedNs >> stamp.size >> stamp.inode;
    if (inside)
        stamp.path.prepend(bundle);
}

void setUp(QDataStream& stream)
{
    stream.setVersion(QDataStream::Qt_6_4);
}

} // namespace

std::vector<CachedBundle> BundleCacheFile::read(const QString& path)
{
    FileStamp stamp;
    const std::optional<QByteArray> data = FileStamp::read(path, maximumSize, stamp);
    const qsizetype digestSize = QCryptographicHash::hashLength(checksum);
    if (!data || data->size() < digestSize)
        return {};
    const QByteArrayView payload = QByteArrayView(*data).chopped(digestSize);
    if (QCryptographicHash::hash(payload, checksum) != QByteArrayView(*data).last(digestSize))
        return {};

    QByteArray bytes = payload.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QDataStream stream(&buffer);
    setUp(stream);
    QByteArray header;
    quint32 fileVersion = 0;
    quint32 count = 0;
    stream >> header >> fileVersion >> count;
    if (header != magic || fileVersion != version || stream.status() != QDataStream::Ok)
        return {};
    std::vector<CachedBundle> bundles;
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        CachedBundle bundle;
        quint32 stamps = 0;
        stream >> bundle.url >> bundle.path >> bundle.info >> bundle.localized >> bundle.resourcesPath >> stamps;
        for (quint32 j = 0; j < stamps && stream.status() == QDataStream::Ok; ++j)
            readStamp(stream, bundle.stamps.emplace_back(), bundle.path);
        bundles.push_back(std::move(bundle));
    }
    if (stream.status() != QDataStream::Ok || !stream.atEnd())
        return {};
    return bundles;
}

void BundleCacheFile::write(const QString& path, const std::vector<CachedBundle>& bundles)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QDataStream stream(&buffer);
        setUp(stream);
        stream << QByteArray(magic) << version << quint32(bundles.size());
        for (const CachedBundle& bundle : bundles) {
            stream << bundle.url << bundle.path << bundle.info << bundle.localized << bundle.resourcesPath
                   << quint32(bundle.stamps.size());
            for (const FileStamp& stamp : bundle.stamps)
                writeStamp(stream, stamp, bundle.path);
        }
    }
    bytes += QCryptographicHash::hash(bytes, checksum);
    FileManager::writeAtomically(bytes, QUrl::fromLocalFile(path));
}

} // namespace tessik::platform
