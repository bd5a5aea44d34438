#include "handler_database.h"

#include "../clock.h"
#include "../file_manager.h"
#include "../ns_error.h"
#include "emulation_settings.h"
#include "../file_stamp.h"
#include "launch_services_lock.h"
#include "machine_paths.h"
#include "property_list.h"

#include <QFileInfo>
#include <QVariantList>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

const QString handlersKey = u"LSHandlers"_s;
const QString contentTypeKey = u"LSHandlerContentType"_s;
const QString roleAllKey = u"LSHandlerRoleAll"_s;
const QString urlSchemeKey = u"LSHandlerURLScheme"_s;
const QString modificationDateKey = u"LSHandlerModificationDate"_s;
// The emulation's own key: the roles reads keep answering until a delayed write shows.
const QString previousRolesKey = u"TessikEmulationPreviousRoles"_s;

double secondsSinceReferenceDate(const QDateTime& time)
{
    static const QDateTime referenceDate(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return referenceDate.msecsTo(time) / 1000.0;
}

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

HandlerDatabase::Entry HandlerDatabase::Entry::from(const QVariantMap& entry)
{
    Entry result;
    for (auto it = entry.cbegin(); it != entry.cend(); ++it)
        if (it.key().startsWith(u"LSHandlerRole"_s) && it.value().typeId() == QMetaType::QString)
            result.roles.insert(it.key(), it.value().toString());
    if (const QVariant previous = entry.value(previousRolesKey); previous.typeId() == QMetaType::QVariantMap) {
        result.previousRoles.emplace();
        const QVariantMap roles = previous.toMap();
        for (auto it = roles.cbegin(); it != roles.cend(); ++it)
            if (it.value().typeId() == QMetaType::QString)
                result.previousRoles->insert(it.key(), it.value().toString());
    }
    result.modified = entry.value(modificationDateKey).toDouble();
    return result;
}

const QHash<QString, QString>& HandlerDatabase::Entry::visibleRoles(double now, double delay) const
{
    return previousRoles && now < modified + delay ? *previousRoles : roles;
}

void HandlerDatabase::reload()
{
    const QString path = MachinePaths::handlerDatabase();
    const FileStamp stamp = FileStamp::of(path);
    if (stamp == m_stamp)
        return;
    m_entries.clear();
    m_schemes.clear();
    {
        const std::optional<QVariant> list = PropertyList::readFile(path);
        for (const QVariant& value : list ? list->toMap().value(handlersKey).toList() : QVariantList()) {
            const QVariantMap entry = value.toMap();
            if (const QString type = entry.value(contentTypeKey).toString().toLower(); !type.isEmpty())
                m_entries.insert(type, Entry::from(entry));
            else if (const QString scheme = entry.value(urlSchemeKey).toString().toLower(); !scheme.isEmpty())
                m_schemes.insert(scheme, Entry::from(entry));
        }
    }
    m_stamp = stamp;
}

QList<HandlerDatabase::StoredChoice> HandlerDatabase::choicesIn(const Entries& entries, const QString& key,
                                                                 LSRolesMask role)
{
    const auto found = entries.constFind(key.toLower());
    if (found == entries.cend())
        return {};
    const auto& roles =
        found->visibleRoles(secondsSinceReferenceDate(Clock::now()), EmulationSettings::current().handlerWriteDelay);
    QStringList keys = roleKeys(role);
    if (!keys.contains(roleAllKey))
        keys.append(roleAllKey);
    QList<StoredChoice> choices;
    for (const QString& roleKey : keys)
        if (const QString handler = roles.value(roleKey); !handler.isEmpty())
            choices.append({roleKey, handler});
    return choices;
}

QList<HandlerDatabase::StoredChoice> HandlerDatabase::storedChoices(const QString& contentType, LSRolesMask role)
{
    QMutexLocker locker(&m_mutex);
    reload();
    return choicesIn(m_entries, contentType, role);
}

QStringList HandlerDatabase::storedURLSchemeHandlers(const QString& scheme)
{
    QMutexLocker locker(&m_mutex);
    reload();
    QStringList handlers;
    for (const StoredChoice& choice : choicesIn(m_schemes, scheme, kLSRolesViewer | kLSRolesEditor | kLSRolesShell))
        handlers.append(choice.bundleIdentifier);
    return handlers;
}

void HandlerDatabase::recordModification(QVariantMap& entry)
{
    const double now = secondsSinceReferenceDate(Clock::now());
    const double delay = EmulationSettings::current().handlerWriteDelay;
    const QHash<QString, QString> visible = Entry::from(entry).visibleRoles(now, delay);
    entry.remove(previousRolesKey);
    // Only a delayed write is dated, so a machine written twice from one seed comes out byte for byte the same.
    if (delay <= 0)
        return;
    QVariantMap previous;
    for (auto it = visible.cbegin(); it != visible.cend(); ++it)
        previous.insert(it.key(), it.value());
    entry.insert(previousRolesKey, previous);
    entry.insert(modificationDateKey, now);
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
    if (QFileInfo::exists(path)) {
        const std::optional<QVariant> list = PropertyList::readFile(path);
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
    recordModification(updated);
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
