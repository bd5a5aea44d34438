#pragma once

#include "../launch_services.h"
#include "file_stamp.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

namespace tessik::platform {

// The per-user LSHandlers property list: the handlers the user chose explicitly.
class HandlerDatabase
{
public:
    static HandlerDatabase& shared();

    // The stored handlers that answer the role, most specific first.
    QStringList storedHandlers(const QString& contentType, LSRolesMask role);
    // Records the handler; a database that exists but cannot be read is left untouched (ioErr).
    OSStatus store(const QString& contentType, LSRolesMask role, const QString& bundleIdentifier);

    static QStringList roleKeys(LSRolesMask role);

private:
    using Entries = QHash<QString, QHash<QString, QString>>;
    const Entries& entries();

    QMutex m_mutex;
    FileStamp m_stamp{{}, -2, -2};
    Entries m_entries;
};

} // namespace tessik::platform
