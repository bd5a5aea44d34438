#include "defaults_export.h"

#include "core/records/url_scheme.h"
#include "core/support/plain_order.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace tessik {
namespace {

std::optional<AssociationRole> roleOfMask(platform::LSRolesMask mask)
{
    for (AssociationRole role : allAssociationRoles)
        if (lsRole(role) == mask)
            return role;
    return std::nullopt;
}

int roleRank(AssociationRole role)
{
    return role == AssociationRole::all ? 0 : int(role) + 1;
}

} // namespace

QList<CarriedDefault> DefaultsExport::collect(const QList<platform::StoredHandler>& stored,
                                              const QList<InstalledApp>& installed,
                                              const QList<FileAssociation>& effective)
{
    // Bundle identifiers are told apart without regard to case, as the system does.
    QHash<QString, QString> names;
    for (const InstalledApp& app : installed)
        names.insert(app.bundleIdentifier.toLower(), app.name);
    const auto named = [&](CarriedDefault entry) {
        if (const auto found = names.constFind(entry.bundleIdentifier.toLower()); found != names.cend())
            entry.applicationName = *found;
        return entry;
    };

    QList<CarriedDefault> defaults;
    QSet<std::pair<QString, AssociationRole>> chosen;
    for (const platform::StoredHandler& handler : stored) {
        const auto role = roleOfMask(handler.role);
        CarriedDefault entry;
        if (handler.kind == platform::StoredHandler::Kind::urlScheme) {
            const auto identifier = URLScheme::identifier(handler.name);
            if (!identifier || !role)
                continue;
            entry.kind = CarriedDefault::Kind::urlScheme;
            entry.format = *identifier;
        } else {
            if (!role || handler.name.isEmpty())
                continue;
            entry.format = handler.name;
        }
        entry.role = *role;
        entry.bundleIdentifier = handler.bundleIdentifier;
        if (chosen.contains({entry.format, entry.role}))
            continue;
        chosen.insert({entry.format, entry.role});
        defaults.append(named(entry));
    }

    for (const FileAssociation& association : effective) {
        const auto everyRole = association.defaultHandlers.constFind(AssociationRole::all);
        for (AssociationRole role :
             {AssociationRole::all, AssociationRole::viewer, AssociationRole::editor, AssociationRole::shell}) {
            const auto handler = association.defaultHandlers.constFind(role);
            if (handler == association.defaultHandlers.cend() || handler->isEmpty() ||
                chosen.contains({association.typeIdentifier, role}))
                continue;
            if (role != AssociationRole::all && everyRole != association.defaultHandlers.cend() &&
                *everyRole == *handler)
                continue;
            CarriedDefault entry;
            entry.format = association.typeIdentifier;
            entry.role = role;
            entry.bundleIdentifier = *handler;
            entry.explicitChoice = false;
            chosen.insert({entry.format, role});
            defaults.append(named(entry));
        }
    }

    std::stable_sort(defaults.begin(), defaults.end(), [](const CarriedDefault& a, const CarriedDefault& b) {
        if (const int order = comparePlain(a.format, b.format); order != 0)
            return order < 0;
        return roleRank(a.role) < roleRank(b.role);
    });
    return defaults;
}

} // namespace tessik
