#pragma once

#include "bundle_description.h"
#include "core/records/association_role.h"
#include "platform/emulated/emulation_settings.h"

#include <QString>
#include <QStringList>

namespace tessik::tools {

// Lays out an emulated machine in a folder: application folders, the user's home and preferences.
class SystemRootWriter
{
public:
    // Creates the folder skeleton. Refuses (std::runtime_error) a non-empty folder that is not an emulated
    // machine already; an earlier machine there is replaced.
    explicit SystemRootWriter(QString root);

    const QString& root() const { return m_root; }
    QString addBundle(const BundleDescription& bundle) const;
    void setPreferredLanguages(const QStringList& languages) const;
    // Records an explicit handler (a URL scheme's for "scheme:") through the machine's own Launch Services, which
    // makes this folder the current system root.
    void setHandler(const QString& contentType, AssociationRole role, const QString& bundleIdentifier) const;

    // Writes the root's Emulation.plist (after the machine itself, which it would otherwise affect).
    static void writeEmulation(const QString& root, const platform::EmulationSettings& settings);
    // Dates every file and folder of the machine an hour back, as those of applications installed earlier are. A
    // program keeps what it read of a bundle from one run to the next only once the bundle's files are older than
    // the file system's clock tick, so a machine written just now is read afresh by every process. Throws
    // std::runtime_error when a date cannot be set.
    static void backdate(const QString& root);

private:
    QString m_root;
};

} // namespace tessik::tools
