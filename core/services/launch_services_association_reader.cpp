#include "launch_services_association_reader.h"

#include "association_service_error.h"

namespace tessik {

namespace {

platform::LSRolesMask requireMask(AssociationRole role)
{
    const auto mask = lsRole(role);
    if (!mask)
        throw AssociationServiceError(AssociationServiceError::UnsupportedRole{role});
    return *mask;
}

} // namespace

std::optional<QString> LaunchServicesAssociationReader::defaultHandler(const QString& typeIdentifier,
                                                                       AssociationRole role) const
{
    return platform::LSCopyDefaultRoleHandlerForContentType(typeIdentifier, requireMask(role));
}

platform::HandlerExplanation LaunchServicesAssociationReader::explainDefaultHandler(const QString& typeIdentifier,
                                                                                   AssociationRole role) const
{
    return platform::explainDefaultRoleHandler(typeIdentifier, requireMask(role));
}

} // namespace tessik
