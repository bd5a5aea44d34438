#pragma once

#include "association_reading.h"
#include "platform/handler_explanation.h"

namespace tessik {

// Reads current handlers from Launch Services.
class LaunchServicesAssociationReader : public AssociationReading
{
public:
    std::optional<QString> defaultHandler(const QString& typeIdentifier, AssociationRole role) const override;
    // The same answer with why the system gives it; throws as defaultHandler does.
    platform::HandlerExplanation explainDefaultHandler(const QString& typeIdentifier, AssociationRole role) const;
};

} // namespace tessik
