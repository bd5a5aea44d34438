#pragma once

#include "association_writing.h"

namespace tessik::platform {
class NSError;
}

namespace tessik {

// Writes handlers through Launch Services: for every role at once through the workspace, which asks the
// user, and otherwise directly.
class LaunchServicesAssociationWriter : public AssociationWriting
{
public:
    AssociationWriteOutcome setDefaultHandler(const QString& bundleIdentifier, const QString& typeIdentifier,
                                              AssociationRole role, std::stop_token stop = {}) override;

    // Whether the error, or any error it wraps, is the user cancelling.
    static bool isUserCancellation(const platform::NSError& error);

private:
    static AssociationWriteOutcome setURLSchemeHandler(const QString& bundleIdentifier, const QString& scheme);
};

} // namespace tessik
