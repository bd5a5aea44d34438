#pragma once

#include "platform/launch_services.h"

#include <QString>

#include <array>
#include <optional>

namespace tessik {

// The role in which a default handler applies; stored as its raw string wherever it is written.
enum class AssociationRole
{
    viewer,
    editor,
    shell,
    all
};

inline constexpr std::array<AssociationRole, 4> allAssociationRoles{AssociationRole::viewer, AssociationRole::editor,
                                                                    AssociationRole::shell, AssociationRole::all};

QString rawValue(AssociationRole role);
// Exact, case-sensitive match of the four raw values.
std::optional<AssociationRole> associationRoleFromRawValue(const QString& raw);
// The Launch Services role mask; every role has one, but callers still treat its absence as an error.
std::optional<platform::LSRolesMask> lsRole(AssociationRole role);

inline size_t qHash(AssociationRole role, size_t seed = 0)
{
    return ::qHash(int(role), seed);
}

} // namespace tessik
