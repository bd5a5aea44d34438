#pragma once

#include "core/records/installed_app.h"

#include <QList>
#include <QString>

#include <optional>

namespace tessik {

// Decides which content type a format named by the user stands for, so that no handler is ever written for a
// string the system could not know. A target is a URL scheme followed by a colon (https:), an extension (md, .md),
// a content type the machine knows, or the path of a file (anything else holding a slash), in that order.
class TargetTypeResolver
{
public:
    explicit TargetTypeResolver(QList<InstalledApp> installedApps) : m_installedApps(std::move(installedApps)) {}

    // Why a target names no type.
    enum class Problem
    {
        // Neither an extension, a known type nor a path.
        notATarget,
        // A word no type claims as an extension that an installed application declares as a URL scheme: written
        // without its colon.
        urlScheme,
        // A path whose type the system cannot tell.
        unknownFileType,
    };
    struct Resolution
    {
        std::optional<QString> type;
        Problem problem = Problem::notATarget;
    };

    Resolution resolve(const QString& target) const;
    // The type resolve() finds, or nothing.
    std::optional<QString> typeForTarget(const QString& target) const { return resolve(target).type; }
    // The identifier as the system spells it, when it names a known content type: one of the type database
    // (system or declared by an application), one an installed application lists in its document types, or a
    // dynamic identifier of a valid extension.
    std::optional<QString> knownType(const QString& identifier) const;

private:
    QList<InstalledApp> m_installedApps;
};

} // namespace tessik
