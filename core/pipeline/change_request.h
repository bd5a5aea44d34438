#pragma once

#include "core/records/association_role.h"

#include <QString>

namespace tessik {

// One staged wish: this content type, in this role, shall open with that application.
struct ChangeRequest
{
    QString typeIdentifier;
    AssociationRole role = AssociationRole::all;
    QString targetBundleIdentifier;

    bool operator==(const ChangeRequest&) const = default;
};

inline size_t qHash(const ChangeRequest& r, size_t seed = 0)
{
    return qHashMulti(seed, r.typeIdentifier, r.role, r.targetBundleIdentifier);
}

} // namespace tessik
