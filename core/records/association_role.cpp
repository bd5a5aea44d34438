#include "association_role.h"

using namespace Qt::StringLiterals;

namespace tessik {

QString rawValue(AssociationRole role)
{
    switch (role) {
    case AssociationRole::viewer:
        return u"viewer"_s;
    case AssociationRole::editor:
        return u"editor"_s;
    case AssociationRole::shell:
        return u"shell"_s;
    case AssociationRole::all:
        return u"all"_s;
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<AssociationRole> associationRoleFromRawValue(const QString& raw)
{
    for (AssociationRole role : allAssociationRoles)
        if (rawValue(role) == raw)
            return role;
    return std::nullopt;
}

std::optional<platform::LSRolesMask> lsRole(AssociationRole role)
{
    switch (role) {
    case AssociationRole::viewer:
        return platform::kLSRolesViewer;
    case AssociationRole::editor:
        return platform::kLSRolesEditor;
    case AssociationRole::shell:
        return platform::kLSRolesShell;
    case AssociationRole::all:
        return platform::kLSRolesAll;
    }
    return std::nullopt;
}

} // namespace tessik
