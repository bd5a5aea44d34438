#pragma once

#include "association_role.h"
#include "installed_app.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tessik {

// What the system knows about one content type; its identity is the type identifier.
struct FileAssociation
{
    QString typeIdentifier;
    QStringList extensions;
    QList<InstalledApp> capableApps;
    QStringList suggestedAppIDs;
    // Only roles whose handler could be read have an entry.
    QHash<AssociationRole, QString> defaultHandlers;

    const QString& id() const { return typeIdentifier; }
    bool operator==(const FileAssociation&) const = default;
};

size_t qHash(const FileAssociation& association, size_t seed = 0);

} // namespace tessik
