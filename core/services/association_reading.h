#pragma once

#include "core/records/association_role.h"

#include <QString>

#include <optional>

namespace tessik {

// Asks which application currently opens a content type in a role.
class AssociationReading
{
public:
    virtual ~AssociationReading() = default;
    // Nothing when there is no handler; throws AssociationServiceError for a role without a mask.
    virtual std::optional<QString> defaultHandler(const QString& typeIdentifier, AssociationRole role) const = 0;
};

} // namespace tessik
