#pragma once

#include "change_plan.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QUuid>

#include <optional>

namespace tessik {

// One handler as it was before a change.
struct SnapshotHandler
{
    QString typeIdentifier;
    AssociationRole role = AssociationRole::all;
    // Absent when the type had no handler in that role.
    std::optional<QString> bundleIdentifier;

    bool operator==(const SnapshotHandler&) const = default;
};

// The handlers a plan is about to replace, saved before anything is written.
struct AssociationSnapshot
{
    QUuid id = QUuid::createUuid();
    QDateTime createdAt = QDateTime::currentDateTimeUtc();
    QList<SnapshotHandler> handlers;

    bool operator==(const AssociationSnapshot&) const = default;

    QJsonObject toJson() const;
    // Throws JsonDecodingError, also for a role other than the four.
    static AssociationSnapshot fromJson(const QJsonObject& object);
};

} // namespace tessik
