#pragma once

#include "../launch_services.h"
#include "file_stamp.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tessik::platform {

// What Launch Services knows of the installed applications: where each one is and which content types it
// claims in which roles and ranks. Built from the application folders and refreshed when they change.
class ApplicationRegistry
{
public:
    struct Claim
    {
        QString bundleIdentifier;
        int rank = 0;
        LSRolesMask roles = 0;
    };

    struct Contents;

    static ApplicationRegistry& shared();

    // The registry as it stands; re-checked against the disk at most once a second, since every read of a
    // handler asks it and the folders seldom change.
    std::shared_ptr<const Contents> current();
    // Forces the next call to re-check the disk.
    void invalidate();

private:
    QMutex m_mutex;
    std::shared_ptr<const Contents> m_contents;
    QElapsedTimer m_sinceCheck;
};

struct ApplicationRegistry::Contents
{
    QString root;
    // Lower-cased bundle identifier → the first copy in folder order.
    QHash<QString, QString> locations;
    // Lower-cased content type → claims in registration order.
    QHash<QString, std::vector<Claim>> claims;
    // Paths whose modification stamps were current when this was built.
    std::vector<FileStamp> stamps;

    bool isInstalled(const QString& bundleIdentifier) const;
    // The highest-ranked claimant of the type in the role, else of its nearest supertypes.
    std::optional<QString> claimant(const QString& contentType, LSRolesMask role) const;
    bool isCurrent() const;
    static std::shared_ptr<const Contents> build(const QString& root);
};

} // namespace tessik::platform
