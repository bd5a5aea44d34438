#pragma once

#include "core/records/installed_app.h"

#include <QList>
#include <QString>

#include <optional>

namespace tessik {

// Decides which content type a format named by the user stands for, so that no handler is ever written for a
// string the system could not know.
class TargetTypeResolver
{
public:
    explicit TargetTypeResolver(QList<InstalledApp> installedApps) : m_installedApps(std::move(installedApps)) {}

    // An extension (md, .md) when the text normalises as one, resolved through the type database; otherwise
    // knownType(target). Nothing when it is neither.
    std::optional<QString> typeForTarget(const QString& target) const;
    // The identifier as the system spells it, when it names a known content type: one of the type database
    // (system or declared by an application), one an installed application lists in its document types, or a
    // dynamic identifier of a valid extension.
    std::optional<QString> knownType(const QString& identifier) const;

private:
    QList<InstalledApp> m_installedApps;
};

} // namespace tessik
