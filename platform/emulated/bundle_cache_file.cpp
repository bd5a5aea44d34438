#include "bundle_cache_file.h"

#include "../file_manager.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QtEndian>

#include <algorithm>
#include <bit>

namespace tessik::platform {
namespace {

// The layout: the magic and the version; the table of strings, each once (UTF-8); the entries, each as its length
// and its bytes; the checksum of all before. Inside an entry a string is its number in the table, so that decoding
// one shares the table's strings instead of converting and allocating its own: the same keys and type identifiers
// recur in every bundle. An entry starts with the bundle's path, so that the file can be indexed without decoding
// the dictionaries. Counts, lengths and string numbers are LEB128, other numbers eight bytes little-endian.
constexpr char magic[] = "TessikBundles";
// Finds damage, not tampering: the folder is the user's own, like the applications folder it describes.
constexpr auto checksum = QCryptographicHash::Md5;
// Larger than the cache of any real machine; a bigger file is not ours.
constexpr qint64 maximumSize = 256 * 1024 * 1024;
// Deeper than any information dictionary; the bound keeps a damaged entry from exhausting the stack.
constexpr int maximumDepth = 64;

enum class Tag : char
{
    null = 'n',
    boolean = 'b',
    integer = 'i',
    unsignedInteger = 'u',
    real = 'r',
    string = 's',
    data = 'd',
    date = 't',
    list = 'l',
    map = 'm',
};

class Encoder
{
public:
    QByteArray bytes;
    // The table being collected, shared by the encoders of one file; none writes strings in place.
    QHash<QString, quint64>* table = nullptr;

    void count(quint64 value)
    {
        do {
            const char low = char(value & 0x7f);
            value >>= 7;
            bytes.append(value ? char(low | 0x80) : low);
        } while (value);
    }
    void number(quint64 value)
    {
        char little[8];
        qToLittleEndian(value, little);
        bytes.append(little, 8);
    }
    void blob(QByteArrayView value)
    {
        count(quint64(value.size()));
        bytes.append(value);
    }
    void string(const QString& value)
    {
        if (!table) {
            blob(value.toUtf8());
            return;
        }
        const auto known = table->constFind(value);
        count(known != table->cend() ? *known : *table->insert(value, quint64(table->size())));
    }
    void tag(Tag value) { bytes.append(char(value)); }

    void map(const QVariantMap& value)
    {
        count(quint64(value.size()));
        for (auto it = value.cbegin(); it != value.cend(); ++it) {
            string(it.key());
            variant(it.value());
        }
    }

    void variant(const QVariant& value)
    {
        switch (value.typeId()) {
        case QMetaType::Bool:
            tag(Tag::boolean);
            bytes.append(char(value.toBool()));
            return;
        case QMetaType::LongLong:
        case QMetaType::Int:
            tag(Tag::integer);
            number(quint64(value.toLongLong()));
            return;
        case QMetaType::ULongLong:
        case QMetaType::UInt:
            tag(Tag::unsignedInteger);
            number(value.toULongLong());
            return;
        case QMetaType::Double: {
            tag(Tag::real);
            number(std::bit_cast<quint64>(value.toDouble()));
            return;
        }
        case QMetaType::QString:
            tag(Tag::string);
            string(value.toString());
            return;
        case QMetaType::QByteArray:
            tag(Tag::data);
            blob(value.toByteArray());
            return;
        case QMetaType::QDateTime:
            tag(Tag::date);
            number(quint64(value.toDateTime().toMSecsSinceEpoch()));
            return;
        case QMetaType::QVariantList: {
            const QVariantList list = value.toList();
            tag(Tag::list);
            count(quint64(list.size()));
            for (const QVariant& item : list)
                variant(item);
            return;
        }
        case QMetaType::QVariantMap:
            tag(Tag::map);
            map(value.toMap());
            return;
        default:
            // Nothing else comes out of a property list or a strings file.
            tag(Tag::null);
            return;
        }
    }
};

// Reads what Encoder wrote; the first fault stops it and every read after answers empty.
class Decoder
{
public:
    explicit Decoder(QByteArrayView bytes, const QStringList* table = nullptr)
        : m_at(bytes.data()), m_end(bytes.data() + bytes.size()), m_table(table)
    {
    }

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_end; }

    quint64 count()
    {
        quint64 value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (!have(1))
                return 0;
            const auto byte = quint8(*m_at++);
            value |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return value;
        }
        return fail();
    }
    quint64 number()
    {
        if (!have(8))
            return 0;
        const quint64 value = qFromLittleEndian<quint64>(m_at);
        m_at += 8;
        return value;
    }
    QByteArrayView blob()
    {
        const quint64 size = count();
        if (!have(size))
            return {};
        const QByteArrayView value(m_at, qsizetype(size));
        m_at += size;
        return value;
    }
    QString string()
    {
        if (!m_table)
            return QString::fromUtf8(blob());
        const quint64 number = count();
        if (number < quint64(m_table->size()))
            return m_table->at(qsizetype(number));
        fail();
        return {};
    }
    char byte() { return have(1) ? *m_at++ : char(fail()); }

    QVariantMap map(int depth = 0)
    {
        QVariantMap value;
        const quint64 size = count();
        // Keys were written in order: each goes in at the end.
        for (quint64 i = 0; i < size && m_ok; ++i) {
            QString key = string();
            value.insert(value.cend(), std::move(key), variant(depth + 1));
        }
        return value;
    }

    QVariant variant(int depth)
    {
        if (depth > maximumDepth)
            return fail();
        switch (Tag(byte())) {
        case Tag::null:
            return {};
        case Tag::boolean:
            return bool(byte());
        case Tag::integer:
            return qlonglong(number());
        case Tag::unsignedInteger:
            return qulonglong(number());
        case Tag::real:
            return std::bit_cast<double>(number());
        case Tag::string:
            return string();
        case Tag::data:
            return blob().toByteArray();
        case Tag::date:
            return QDateTime::fromMSecsSinceEpoch(qint64(number()), Qt::UTC);
        case Tag::list: {
            QVariantList list;
            const quint64 size = count();
            // Every item takes a byte at least: a count beyond the bytes left is damage. What is reserved stays
            // small whatever the count says; a list longer than that grows as it is read.
            if (!have(size))
                return {};
            list.reserve(qsizetype(std::min<quint64>(size, 64)));
            for (quint64 i = 0; i < size && m_ok; ++i)
                list.append(variant(depth + 1));
            return list;
        }
        case Tag::map:
            return map(depth);
        }
        return fail();
    }

private:
    bool have(quint64 size)
    {
        if (m_ok && size <= quint64(m_end - m_at))
            return true;
        fail();
        return false;
    }
    int fail()
    {
        m_ok = false;
        m_at = m_end;
        return 0;
    }

    const char* m_at;
    const char* m_end;
    const QStringList* m_table;
    bool m_ok = true;
};

// A stamp of a file inside the bundle keeps only the rest of its path.
void writeStamp(Encoder& out, const FileStamp& stamp, const QString& bundle)
{
    const bool inside = stamp.path.startsWith(bundle) && stamp.path.size() > bundle.size();
    out.bytes.append(char(inside));
    out.string(inside ? stamp.path.sliced(bundle.size()) : stamp.path);
    out.number(quint64(stamp.modifiedNs));
    out.number(quint64(stamp.size));
    out.number(stamp.inode);
}

FileStamp readStamp(Decoder& in, const QString& bundle)
{
    FileStamp stamp;
    const bool inside = in.byte() != 0;
    stamp.path = in.string();
    if (inside)
        stamp.path.prepend(bundle);
    stamp.modifiedNs = qint64(in.number());
    stamp.size = qint64(in.number());
    stamp.inode = in.number();
    return stamp;
}

} // namespace

BundleCacheFile::Contents BundleCacheFile::read(const QString& path)
{
    FileStamp stamp;
    const std::optional<QByteArray> data = FileStamp::read(path, maximumSize, stamp);
    const qsizetype digestSize = QCryptographicHash::hashLength(checksum);
    if (!data || data->size() < digestSize)
        return {};
    const QByteArrayView payload = QByteArrayView(*data).chopped(digestSize);
    if (QCryptographicHash::hash(payload, checksum) != QByteArrayView(*data).last(digestSize))
        return {};

    Decoder file(payload);
    const QByteArrayView header = file.blob();
    const quint64 fileVersion = file.count();
    if (!file.ok() || header != magic || fileVersion != version)
        return {};
    auto strings = std::make_shared<QStringList>();
    const quint64 stringCount = file.count();
    // Every string takes a byte at least.
    if (stringCount > quint64(payload.size()))
        return {};
    strings->reserve(qsizetype(std::min<quint64>(stringCount, 1 << 16)));
    for (quint64 i = 0; i < stringCount && file.ok(); ++i)
        strings->append(file.string());
    Contents contents;
    const quint64 count = file.count();
    for (quint64 i = 0; i < count && file.ok(); ++i) {
        const QByteArrayView entry = file.blob();
        Decoder start(entry, strings.get());
        const QString bundle = start.string();
        if (start.ok())
            contents.entries.insert(bundle, entry.toByteArray());
    }
    if (!file.ok() || !file.atEnd() || quint64(contents.entries.size()) != count)
        return {};
    contents.strings = std::move(strings);
    return contents;
}

std::optional<CachedBundle> BundleCacheFile::decode(QByteArrayView entry, const QStringList& strings)
{
    Decoder in(entry, &strings);
    CachedBundle bundle;
    bundle.path = in.string();
    bundle.url = QUrl(in.string());
    bundle.resourcesPath = in.string();
    bundle.info = in.map();
    bundle.localized = in.map();
    const quint64 stamps = in.count();
    for (quint64 i = 0; i < stamps && in.ok(); ++i)
        bundle.stamps.push_back(readStamp(in, bundle.path));
    if (!in.ok() || !in.atEnd())
        return std::nullopt;
    return bundle;
}

void BundleCacheFile::write(const QString& path, const std::vector<CachedBundle>& bundles)
{
    QHash<QString, quint64> table;
    std::vector<QByteArray> entries;
    entries.reserve(bundles.size());
    for (const CachedBundle& bundle : bundles) {
        Encoder entry;
        entry.table = &table;
        entry.string(bundle.path);
        entry.string(bundle.url.toString(QUrl::FullyEncoded));
        entry.string(bundle.resourcesPath);
        entry.map(bundle.info);
        entry.map(bundle.localized);
        entry.count(bundle.stamps.size());
        for (const FileStamp& stamp : bundle.stamps)
            writeStamp(entry, stamp, bundle.path);
        entries.push_back(std::move(entry.bytes));
    }
    QStringList strings(table.size());
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        strings[qsizetype(*it)] = it.key();

    Encoder file;
    file.blob(magic);
    file.count(version);
    file.count(quint64(strings.size()));
    for (const QString& string : std::as_const(strings))
        file.string(string);
    file.count(entries.size());
    for (const QByteArray& entry : entries)
        file.blob(entry);
    file.bytes += QCryptographicHash::hash(file.bytes, checksum);
    FileManager::writeAtomically(file.bytes, QUrl::fromLocalFile(path));
}

} // namespace tessik::platform
