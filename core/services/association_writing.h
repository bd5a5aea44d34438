#pragma once

#include "association_write_outcome.h"
#include "core/records/association_role.h"

#include <QString>

#include <stop_token>

namespace tessik {

// Makes an application the default for a content type in a role. Blocks (call it off the interface thread)
// while the system may ask the user; throws AssociationServiceError or the platform's NSError.
class AssociationWriting
{
public:
    virtual ~AssociationWriting() = default;
    virtual AssociationWriteOutcome setDefaultHandler(const QString& bundleIdentifier, const QString& typeIdentifier,
                                                      AssociationRole role, std::stop_token stop = {}) = 0;
};

} // namespace tessik
