#include "property_list.h"

#include "../file_stamp.h"
#include "property_list_precheck.h"

#include <QDateTime>
#include <QTimeZone>
#include <QVariantList>
#include <QVariantMap>

#include <cstring>
#include <limits>
#include <memory>
#include <plist/plist.h>

namespace tessik::platform {
namespace {

struct PlistDeleter
{
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Property list dates count seconds from 2001-01-01 UTC.
const QDateTime& referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

// Keys of dictionaries to convert, at any depth; every key when null.
using KeyFilter = const QSet<QByteArray>*;

QVariant toVariant(plist_t node, KeyFilter keys = nullptr)
{
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return bool(value);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return qlonglong(value);
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_STRING:
        // Read in place: a copy of every string to free again was a good part of reading a bundle.
        return QString::fromUtf8(plist_get_string_ptr(node, nullptr));
    case PLIST_KEY: {
        char* text = nullptr;
        plist_get_key_val(node, &text);
        const QString value = QString::fromUtf8(text);
        free(text);
        return value;
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return QByteArray(bytes ? bytes : "", qsizetype(length));
    }
    case PLIST_DATE: {
        int32_t seconds = 0, microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return referenceDate().addMSecs(qint64(seconds) * 1000 + microseconds / 1000);
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return qulonglong(value);
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        list.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            list.append(toVariant(plist_array_get_item(node, i), keys));
        return list;
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iterator, &key, &item);
            if (!key)
                break;
            if (!keys || keys->contains(QByteArray::fromRawData(key, qsizetype(std::strlen(key)))))
                map.insert(QString::fromUtf8(key), toVariant(item, keys));
            free(key);
        }
        free(iterator);
        return map;
    }
    default:
        return {};
    }
}

plist_t fromVariant(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            plist_dict_set_item(dict, it.key().toUtf8().constData(), fromVariant(it.value()));
        return dict;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        plist_t array = plist_new_array();
        for (const QVariant& item : value.toList())
            plist_array_append_item(array, fromVariant(item));
        return array;
    }
    case QMetaType::Bool:
        return plist_new_bool(value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return plist_new_uint(uint64_t(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 ms = referenceDate().msecsTo(value.toDateTime());
        return plist_new_date(int32_t(ms / 1000), int32_t((ms % 1000) * 1000));
    }
    default:
        return plist_new_string(value.toString().toUtf8().constData());
    }
}

} // namespace

std::optional<QVariant> PropertyList::readFile(const QString& path)
{
    constexpr qint64 maximumFileSize = 64 * 1024 * 1024;
    FileStamp stamp;
    const std::optional<QByteArray> data = FileStamp::read(path, maximumFileSize, stamp);
    return data ? read(*data) : std::nullopt;
}

std::optional<QVariant> PropertyList::read(const QByteArray& data)
{
    return read(data, nullptr);
}

std::optional<QVariant> PropertyList::read(const QByteArray& data, const QSet<QByteArray>& keys)
{
    return read(data, &keys);
}

std::optional<QVariant> PropertyList::read(const QByteArray& data, const QSet<QByteArray>* keys)
{
    if (data.isEmpty() || data.size() > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    plist_t root = nullptr;
    if (data.startsWith("bplist00")) {
        if (!PropertyListPrecheck::binaryAcceptable(data, maximumNesting))
            return std::nullopt;
        plist_from_bin(data.constData(), uint32_t(data.size()), &root);
    } else {
        if (!PropertyListPrecheck::xmlAcceptable(data, maximumNesting))
            return std::nullopt;
        plist_from_xml(data.constData(), uint32_t(data.size()), &root);
    }
    if (!root)
        return std::nullopt;
    PlistPtr owner(root);
    return toVariant(root, keys);
}

QByteArray PropertyList::write(const QVariant& value, Format format)
{
    PlistPtr root(fromVariant(value));
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == Format::Binary) {
        plist_to_bin(root.get(), &bytes, &length);
        QByteArray result(bytes, qsizetype(length));
        plist_to_bin_free(bytes);
        return result;
    }
    plist_to_xml(root.get(), &bytes, &length);
    QByteArray result(bytes, qsizetype(length));
    plist_to_xml_free(bytes);
    return result;
}

} // namespace tessik::platform
