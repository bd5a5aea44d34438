#pragma once

#include "core/records/association_role.h"
#include "platform/launch_services.h"

#include <stdexcept>
#include <variant>

namespace tessik {

// A failure of the default-handler database. It has no message of its own: where it is shown, its generic
// description stands.
class AssociationServiceError : public std::runtime_error
{
public:
    struct UnsupportedRole
    {
        AssociationRole role;
        bool operator==(const UnsupportedRole&) const = default;
    };
    struct LaunchServicesStatus
    {
        platform::OSStatus status;
        bool operator==(const LaunchServicesStatus&) const = default;
    };
    using Case = std::variant<UnsupportedRole, LaunchServicesStatus>;

    explicit AssociationServiceError(Case value);

    const Case& value() const { return m_case; }
    bool operator==(const AssociationServiceError& other) const { return m_case == other.m_case; }

private:
    Case m_case;
};

} // namespace tessik
