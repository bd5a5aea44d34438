#pragma once

#include "association_change.h"

#include <QJsonObject>

#include <optional>

namespace tessik {

// What reading one change back showed.
struct VerificationResult
{
    AssociationChange change;
    std::optional<QString> observedBundleIdentifier;
    bool succeeded = false;

    bool operator==(const VerificationResult&) const = default;

    QJsonObject toJson() const;
    static VerificationResult fromJson(const QJsonObject& object);
};

} // namespace tessik
