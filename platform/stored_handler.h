#pragma once

#include "launch_services.h"

#include <QList>
#include <QString>
#include <QVariantList>

namespace tessik::platform {

// A default the user chose, as the system keeps it: the handler of a content type or of a URL scheme in a role.
// Defaults the system works out for itself (an application's claim) are not stored choices.
struct StoredHandler
{
    enum class Kind
    {
        contentType,
        urlScheme,
    };

    Kind kind = Kind::contentType;
    // The content type identifier, or the scheme without its colon, as the system spells it.
    QString name;
    LSRolesMask role = kLSRolesAll;
    QString bundleIdentifier;

    bool operator==(const StoredHandler&) const = default;

    // The choices of a Launch Services LSHandlers array, one per entry and role key that names an application,
    // in the array's order; entries of other shapes are passed over.
    static QList<StoredHandler> fromLaunchServicesEntries(const QVariantList& handlers);
};

} // namespace tessik::platform
