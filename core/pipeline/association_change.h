#pragma once

#include "core/records/association_role.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessik {

// One planned change: the handler of a type in a role now, and what it is to become.
struct AssociationChange
{
    QString typeIdentifier;
    AssociationRole role = AssociationRole::all;
    std::optional<QString> previousBundleIdentifier;
    QString targetBundleIdentifier;
    QStringList affectedExtensions;

    // "type:role", unique within a plan.
    QString id() const { return typeIdentifier + u':' + rawValue(role); }

    bool operator==(const AssociationChange&) const = default;

    QJsonObject toJson() const;
    // Throws JsonDecodingError.
    static AssociationChange fromJson(const QJsonObject& object);
};

size_t qHash(const AssociationChange& change, size_t seed = 0);

// The role stored under `key`, or JsonDecodingError.
AssociationRole decodeRole(const QJsonObject& object, const QString& key, const QString& record);

} // namespace tessik
