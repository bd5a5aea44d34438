#pragma once

#include "../file_stamp.h"
#include "desktop_entry.h"
#include "xdg_environment.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace tessik::platform {

// The installed applications of a desktop: every desktop entry file below the application folders, by desktop
// file ID ("kde4/okular.desktop" is "kde4-okular.desktop"). The first file of an ID in folder order is the only
// one that counts; the ID is installed when that file is an application that is not hidden and whose TryExec and
// Exec programs are there.
class DesktopEntryIndex
{
public:
    // The index of the current environment and message locale. Kept between calls and rebuilt only when a folder
    // or file walked, a TryExec or Exec program, the environment, the locale or $PATH has changed.
    static std::shared_ptr<const DesktopEntryIndex> current();
    static std::shared_ptr<const DesktopEntryIndex> build(const XdgEnvironment& environment, const QString& locale);

    // Null when the ID is not installed; valid while the index lives.
    const DesktopEntry* installedEntry(const QString& id) const;
    bool isInstalled(const QString& id) const { return m_installed.contains(id); }
    // The file an installed ID was read from; empty otherwise.
    QString filePath(const QString& id) const;
    // The application folder holding the first file of the ID, installed or not; empty when there is none.
    QString folderOf(const QString& id) const { return m_folderOf.value(id); }
    // The ID whose installed entry this very file is (after cleaning the path); empty otherwise.
    QString idForFile(const QString& path) const { return m_idByPath.value(QDir::cleanPath(path)); }
    // By folder precedence, then by path within a folder.
    QStringList installedIds() const { return m_installedIds; }

    // Why an ID is not installed.
    enum class Absence
    {
        noFile,
        // Its first file says Hidden=true.
        hidden,
        // Its first file is not an application entry that can be read, or its TryExec or Exec program is missing.
        notStartable,
    };
    Absence absence(const QString& id) const { return m_absent.value(id, Absence::noFile); }

    // Whether every folder, file and program the index was built from is as it was then.
    bool isCurrent() const;

private:
    struct Installed
    {
        QString path;
        DesktopEntry entry;
    };

    DesktopEntryIndex() = default;
    void collect(const QString& folder, const QString& relativeFolder, QSet<QString>& visited,
                 QList<std::pair<QString, QString>>& files);
    void watchProgram(const QString& program);
    static QStringList cacheKey(const XdgEnvironment& environment, const QString& locale);

    QStringList m_key;
    QStringList m_installedIds;
    QHash<QString, Installed> m_installed;
    QHash<QString, QString> m_idByPath;
    QHash<QString, QString> m_folderOf;
    QHash<QString, Absence> m_absent;
    std::vector<FileStamp> m_stamps;
    bool m_watchesPath = false;
};

} // namespace tessik::platform
