#pragma once

#include "../launch_services.h"
#include "../file_stamp.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

namespace tessik::platform {

// The per-user LSHandlers property list: the handlers the user chose explicitly.
class HandlerDatabase
{
public:
    static HandlerDatabase& shared();

    struct StoredChoice
    {
        // The entry's key: LSHandlerRoleViewer, …, LSHandlerRoleAll.
        QString roleKey;
        QString bundleIdentifier;
    };

    // The stored choices that answer the role, most specific first (the all-roles one last).
    QList<StoredChoice> storedChoices(const QString& contentType, LSRolesMask role);
    // The stored handlers of the URL scheme (LSHandlerURLScheme entries), most specific first.
    QStringList storedURLSchemeHandlers(const QString& scheme);
    // Records the handler; a database that exists but cannot be read is left untouched (ioErr). The change
    // stays invisible to reads for the machine's handler write delay.
    OSStatus store(const QString& contentType, LSRolesMask role, const QString& bundleIdentifier);

    static QStringList roleKeys(LSRolesMask role);

private:
    // One LSHandlers entry: role key → bundle identifier.
    struct Entry
    {
        QHash<QString, QString> roles;
        // What reads answered before the last write, kept while that write is delayed.
        std::optional<QHash<QString, QString>> previousRoles;
        // Seconds since 2001-01-01 UTC, as LSHandlerModificationDate counts them.
        double modified = 0;

        static Entry from(const QVariantMap& entry);
        const QHash<QString, QString>& visibleRoles(double now, double delay) const;
    };
    using Entries = QHash<QString, Entry>;
    // Reloads the file when it changed; call with the mutex held.
    void reload();
    QList<StoredChoice> choicesIn(const Entries& entries, const QString& key, LSRolesMask role);
    static void recordModification(QVariantMap& entry);

    QMutex m_mutex;
    FileStamp m_stamp{{}, -2, -2};
    Entries m_entries;
    Entries m_schemes;
};

} // namespace tessik::platform
