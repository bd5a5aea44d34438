#pragma once

#include "../file_stamp.h"
#include "../launch_services.h"
#include "type_database.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tessik::platform {

// What Launch Services knows of the installed applications: where each one is, which content types it claims
// in which roles and ranks, and the types it declares. Built from the application folders (links resolved to
// their targets) and the registered bundles, and refreshed when they change.
class ApplicationRegistry
{
public:
    struct Claim
    {
        QString bundleIdentifier;
        int rank = 0;
        LSRolesMask roles = 0;

        // As the bundle spelled them: its LSHandlerRank and CFBundleTypeRole.
        QString rankName() const;
        QString roleName() const;
    };

    // The claim that decides a type's handler when nothing is stored, and the type it was made for.
    struct Claimant
    {
        Claim claim;
        // The type itself or the nearest supertype claimed, as the type table spells it.
        QString type;
    };

    struct Contents;

    static ApplicationRegistry& shared();

    // The registry as it stands; re-checked against the disk at most once a second, since every read of a
    // handler asks it and the folders seldom change.
    std::shared_ptr<const Contents> current();
    // Forces the next call to re-check the disk, every bundle included.
    void invalidate();

    // Records a bundle outside the application folders so that Launch Services knows it from now on, in every
    // process. Links are resolved first, as the target is what is registered. Returns false when the
    // registrations could not be saved.
    static bool registerBundle(const QString& path);

private:
    QMutex m_mutex;
    std::shared_ptr<const Contents> m_contents;
    QElapsedTimer m_sinceCheck;
    bool m_checkEveryBundle = false;
};

struct ApplicationRegistry::Contents
{
    QString root;
    // Lower-cased bundle identifier → the first copy in folder order.
    QHash<QString, QString> locations;
    // Lower-cased content type → claims in registration order.
    QHash<QString, std::vector<Claim>> claims;
    // Lower-cased URL scheme → the bundle identifiers that declare it, in precedence order.
    QHash<QString, QStringList> schemeClaims;
    // The system's types joined by those the applications declare.
    std::shared_ptr<const TypeDatabase> types;
    // Paths whose modification stamps were current when this was built.
    std::vector<FileStamp> stamps;

    bool isInstalled(const QString& bundleIdentifier) const;
    // The highest-ranked claimant of the type in the role, else of its nearest supertypes.
    std::optional<Claimant> claimant(const QString& contentType, LSRolesMask role) const;
    bool isCurrent() const;
    // Bundles read or checked within the last `trustedForMs` are taken as they were read; the stamps they were read
    // with are kept, so the next check against the disk finds what changed since.
    static std::shared_ptr<const Contents> build(const QString& root, qint64 trustedForMs);
};

} // namespace tessik::platform
