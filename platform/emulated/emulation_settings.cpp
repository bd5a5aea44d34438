#include "emulation_settings.h"

#include "../file_stamp.h"
#include "../lookup_batch.h"
#include "machine_paths.h"
#include "property_list.h"

#include <QMutex>

#include <cmath>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

const QString delayKey = u"HandlerWriteDelay"_s;
const QString ignoredKey = u"IgnoredContentTypes"_s;
const QString overriddenKey = u"OverriddenContentTypes"_s;
constexpr qint64 maximumFileSize = 1 << 20;

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

EmulationSettings EmulationSettings::current()
{
    static QMutex mutex;
    static FileStamp cachedStamp{{}, -2, -2};
    static EmulationSettings cached;
    // Like the handler database it qualifies, looked at once per lookup batch.
    static quint64 lookedIn = 0;

    const QString path = MachinePaths::emulationSettings();
    QMutexLocker locker(&mutex);
    if (path.isEmpty())
        return {};
    if (LookupBatch::covers(lookedIn) && cachedStamp.path == path)
        return cached;
    const FileStamp stamp = FileStamp::of(path);
    lookedIn = LookupBatch::current();
    if (stamp == cachedStamp)
        return cached;
    FileStamp readStamp;
    const std::optional<QByteArray> bytes = FileStamp::read(path, maximumFileSize, readStamp);
    const std::optional<QVariant> value = bytes ? PropertyList::read(*bytes) : std::nullopt;
    cached = value ? fromPropertyList(*value) : EmulationSettings();
    cachedStamp = stamp;
    return cached;
}

EmulationSettings EmulationSettings::fromPropertyList(const QVariant& value)
{
    EmulationSettings settings;
    const QVariantMap map = value.toMap();
    const QVariant delay = map.value(delayKey);
    if (isNumber(delay) && std::isfinite(delay.toDouble()) && delay.toDouble() > 0)
        settings.handlerWriteDelay = delay.toDouble();
    for (const QVariant& type : map.value(ignoredKey).toList())
        if (type.typeId() == QMetaType::QString && !type.toString().isEmpty())
            settings.ignoredContentTypes.append(type.toString());
    const QVariantMap overridden = map.value(overriddenKey).toMap();
    for (auto it = overridden.cbegin(); it != overridden.cend(); ++it)
        if (!it.key().isEmpty() && it.value().typeId() == QMetaType::QString && !it.value().toString().isEmpty())
            settings.overriddenContentTypes.insert(it.key(), it.value().toString());
    return settings;
}

QVariantMap EmulationSettings::propertyList() const
{
    QVariantMap overridden;
    for (auto it = overriddenContentTypes.cbegin(); it != overriddenContentTypes.cend(); ++it)
        overridden.insert(it.key(), it.value());
    return {{delayKey, handlerWriteDelay}, {ignoredKey, ignoredContentTypes}, {overriddenKey, overridden}};
}

bool EmulationSettings::ignores(const QString& contentType) const
{
    return ignoredContentTypes.contains(contentType, Qt::CaseInsensitive);
}

std::optional<QString> EmulationSettings::overrideFor(const QString& contentType) const
{
    for (auto it = overriddenContentTypes.cbegin(); it != overriddenContentTypes.cend(); ++it)
        if (it.key().compare(contentType, Qt::CaseInsensitive) == 0)
            return it.value();
    return std::nullopt;
}

} // namespace tessik::platform
