#include "launch_services_association_reader.h"

#include "association_service_error.h"
#include "core/records/url_scheme.h"

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
    // A scheme has one handler for every role.
    if (const auto scheme = URLScheme::fromIdentifier(typeIdentifier))
        return platform::LSCopyDefaultHandlerForURLScheme(*scheme);
    return platform::LSCopyDefaultRoleHandlerForContentType(typeIdentifier, requireMask(role));
}

platform::HandlerExplanation LaunchServicesAssociationReader::explainDefaultHandler(const QString& typeIdentifier,
                                                                                   AssociationRole role) const
{
    if (const auto scheme = URLScheme::fromIdentifier(typeIdentifier))
        return platform::explainDefaultHandlerForURLScheme(*scheme);
    return platform::explainDefaultRoleHandler(typeIdentifier, requireMask(role));
}

} // namespace tessik
