#include "handler_database.h"

#include "../file_manager.h"
#include "../ns_error.h"
#include "file_stamp.h"
#include "launch_services_lock.h"
#include "machine_paths.h"
#include "property_list.h"

#include <QFile>
#include <QVariantList>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

const QString handlersKey = u"LSHandlers"_s;
const QString contentTypeKey = u"LSHandlerContentType"_s;
const QString roleAllKey = u"LSHandlerRoleAll"_s;

} // namespace

HandlerDatabase& HandlerDatabase::shared()
{
    static HandlerDatabase database;
    return database;
}

QStringList HandlerDatabase::roleKeys(LSRolesMask role)
{
    if (role == kLSRolesAll)
        return {roleAllKey};
    QStringList keys;
    if (role & kLSRolesViewer)
        keys.append(u"LSHandlerRoleViewer"_s);
    if (role & kLSRolesEditor)
        keys.append(u"LSHandlerRoleEditor"_s);
    if (role & kLSRolesShell)
        keys.append(u"LSHandlerRoleShell"_s);
    return keys;
}

const HandlerDatabase::Entries& HandlerDatabase::entries()
{
    const QString path = MachinePaths::handlerDatabase();
    const FileStamp stamp = FileStamp::of(path);
    if (stamp == m_stamp)
        return m_entries;
    m_entries.clear();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const std::optional<QVariant> list = PropertyList::read(file.readAll());
        for (const QVariant& value : list ? list->toMap().value(handlersKey).toList() : QVariantList()) {
            const QVariantMap entry = value.toMap();
            const QString type = entry.value(contentTypeKey).toString().toLower();
            if (type.isEmpty())
                continue;
            auto& roles = m_entries[type];
            for (auto it = entry.cbegin(); it != entry.cend(); ++it)
                if (it.key().startsWith(u"LSHandlerRole"_s) && it.value().typeId() == QMetaType::QString)
                    roles.insert(it.key(), it.value().toString());
        }
    }
    m_stamp = stamp;
    return m_entries;
}

QStringList HandlerDatabase::storedHandlers(const QString& contentType, LSRolesMask role)
{
    QMutexLocker locker(&m_mutex);
    const auto roles = entries().value(contentType.toLower());
    QStringList keys = roleKeys(role);
    if (!keys.contains(roleAllKey))
        keys.append(roleAllKey);
    QStringList handlers;
    for (const QString& key : keys)
        if (const QString handler = roles.value(key); !handler.isEmpty())
            handlers.append(handler);
    return handlers;
}

OSStatus HandlerDatabase::store(const QString& contentType, LSRolesMask role, const QString& bundleIdentifier)
{
    const QStringList keys = roleKeys(role);
    if (contentType.isEmpty() || bundleIdentifier.isEmpty() || keys.isEmpty())
        return paramErr;

    QMutexLocker locker(&m_mutex);
    const LaunchServicesLock lock;
    if (!lock.isLocked())
        return ioErr;
    const QString path = MachinePaths::handlerDatabase();
    QVariantMap database;
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return ioErr;
        const std::optional<QVariant> list = PropertyList::read(file.readAll());
        if (!list || list->typeId() != QMetaType::QVariantMap)
            return ioErr;
        database = list->toMap();
    }
    QVariantList handlers = database.value(handlersKey).toList();
    auto entry = std::find_if(handlers.begin(), handlers.end(), [&](const QVariant& value) {
        return value.toMap().value(contentTypeKey).toString().compare(contentType, Qt::CaseInsensitive) == 0;
    });
    if (entry == handlers.end())
        entry = handlers.insert(handlers.end(), QVariantMap{{contentTypeKey, contentType}});
    QVariantMap updated = entry->toMap();
    QVariantMap versions = updated.value(u"LSHandlerPreferredVersions"_s).toMap();
    for (const QString& key : keys) {
        updated.insert(key, bundleIdentifier);
        versions.insert(key, u"-"_s);
    }
    updated.insert(u"LSHandlerPreferredVersions"_s, versions);
    *entry = updated;
    database.insert(handlersKey, handlers);
    try {
        FileManager::writeAtomically(PropertyList::write(database, PropertyList::Format::Binary),
                                     QUrl::fromLocalFile(path));
    } catch (const NSError&) {
        return ioErr;
    }
    return noErr;
}

} // namespace tessik::platform
