#pragma once

#include "association_change.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>

namespace tessik {

// The changes to make, in the order to make them.
struct ChangePlan
{
    QDateTime createdAt = QDateTime::currentDateTimeUtc();
    QList<AssociationChange> changes;

    bool operator==(const ChangePlan&) const = default;

    QJsonObject toJson() const;
    // Throws JsonDecodingError.
    static ChangePlan fromJson(const QJsonObject& object);
};

} // namespace tessik
