#pragma once

#include "launch_services.h"

#include <QList>
#include <QString>

#include <optional>

namespace tessik::platform {

// Why the system answers the handler it does for a content type in a role, told by the part that decided it while
// it decided, so the explanation and the answer never disagree. Codes and the places involved only: words are
// chosen where a person reads them.
struct HandlerExplanation
{
    enum class Source
    {
        // Nothing opens the type in the role.
        none,
        // The user's stored choice for exactly this role (Mac).
        storedRole,
        // The user's stored choice for every role (Mac).
        storedAllRoles,
        // The installed application claiming the type, or a supertype, with the highest rank (Mac).
        claimant,
        // An entry of [Default Applications] in a list file (desktop).
        defaultApplications,
        // An entry of [Added Associations] (desktop).
        addedAssociation,
        // A desktop file's own MIME types, as mimeinfo.cache lists them (desktop).
        desktopEntry,
        // The system chose and does not say why.
        system,
    };

    enum class PassOverReason
    {
        // No application of that identifier is installed (no bundle, no desktop file).
        notInstalled,
        // Its desktop file hides it (Hidden=true).
        hidden,
        // Its desktop file is no application that can be started: not an application entry, or a TryExec or
        // Exec program that is not there.
        notStartable,
        // A [Removed Associations] entry takes it away.
        removed,
    };

    // An entry met before the one that decided, and why it did not count.
    struct PassedOver
    {
        QString handler;
        PassOverReason reason = PassOverReason::notInstalled;
        // Where it was named: a file and its group (desktop) or role key (Mac).
        QString file;
        QString group;
        // The type it was named for, when that is not the one asked about.
        QString type;
        // For a removed one: the file that removed it.
        QString removedBy;

        bool operator==(const PassedOver&) const = default;
    };

    Source source = Source::none;
    std::optional<QString> handler;
    // The type whose entry decided: the one asked about, a supertype it conforms to, or a parent MIME type.
    QString decidingType;
    // The key as the file spells it, when that is an alias of the deciding type; empty otherwise.
    QString listedAs;
    // The file that decided (the list file, mimeinfo.cache, the handler database), empty when none did.
    QString file;
    // The file's group (desktop) or the stored entry's role key (Mac, "LSHandlerRoleViewer").
    QString group;
    // For a claimant: its LSHandlerRank ("Owner", "Default", "Alternate") and CFBundleTypeRole ("Viewer",
    // "Editor", "Shell").
    QString rank;
    QString claimedRole;
    QList<PassedOver> passedOver;

    bool operator==(const HandlerExplanation&) const = default;
};

// What LSCopyDefaultRoleHandlerForContentType answers, with why. The real system has no such call: each backend
// tells what it can honestly know.
HandlerExplanation explainDefaultRoleHandler(const QString& contentType, LSRolesMask role);

} // namespace tessik::platform
