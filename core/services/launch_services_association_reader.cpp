#include "launch_services_association_reader.h"

#include "association_service_error.h"
#include "core/records/url_scheme.h"

namespace tessik {

std::optional<QString> LaunchServicesAssociationReader::defaultHandler(const QString& typeIdentifier,
                                                                       AssociationRole role) const
{
    // A scheme has one handler for every role.
    if (const auto scheme = URLScheme::fromIdentifier(typeIdentifier))
        return platform::LSCopyDefaultHandlerForURLScheme(*scheme);
    const auto mask = lsRole(role);
    if (!mask)
        throw AssociationServiceError(AssociationServiceError::UnsupportedRole{role});
    return platform::LSCopyDefaultRoleHandlerForContentType(typeIdentifier, *mask);
}

} // namespace tessik
