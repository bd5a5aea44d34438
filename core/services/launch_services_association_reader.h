#pragma once

#include "association_reading.h"

namespace tessik {

// Reads current handlers from Launch Services.
class LaunchServicesAssociationReader : public AssociationReading
{
public:
    std::optional<QString> defaultHandler(const QString& typeIdentifier, AssociationRole role) const override;
};

} // namespace tessik
