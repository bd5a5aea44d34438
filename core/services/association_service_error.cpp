#include "association_service_error.h"

#include <string>

namespace tessik {
namespace {

std::string genericDescription(const AssociationServiceError::Case& value)
{
    if (const auto* status = std::get_if<AssociationServiceError::LaunchServicesStatus>(&value))
        return "The operation couldn’t be completed. (OSStatus error " + std::to_string(status->status) + ".)";
    return "The operation couldn’t be completed. (Unsupported role.)";
}

} // namespace

AssociationServiceError::AssociationServiceError(Case value)
    : std::runtime_error(genericDescription(value)), m_case(value)
{
}

} // namespace tessik
