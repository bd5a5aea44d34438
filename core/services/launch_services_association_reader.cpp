#include "launch_services_association_reader.h"

#include "association_service_error.h"

namespace tessik {

std::optional<QString> LaunchServicesAssociationReader::defaultHandler(const QString& typeIdentifier,
                                                                       AssociationRole role) const
{
    const auto mask = lsRole(role);
    if (!mask)
        throw AssociationServiceError(AssociationServiceError::UnsupportedRole{role});
    return platform::LSCopyDefaultRoleHandlerForContentType(typeIdentifier, *mask);
}

} // namespace tessik
