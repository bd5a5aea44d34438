#pragma once

#include "../file_stamp.h"
#include "xdg_environment.h"

#include <QHash>
#include <QMutex>
#include <QStringList>

#include <optional>
#include <vector>

namespace tessik::platform {

// The parents the shared MIME database declares for each type (its "subclasses" files), without the ones every
// type has implicitly: GLib falls back from a type to these only when looking up a default. Thread-safe.
class MimeSubclasses
{
public:
    static MimeSubclasses& shared();

    // Nothing when no MIME folder has a subclasses file (Qt's own copy of the database is in use then).
    std::optional<QStringList> parents(const XdgEnvironment& environment, const QString& type);

private:
    void refresh(const XdgEnvironment& environment);

    QMutex m_mutex;
    QStringList m_files;
    std::vector<FileStamp> m_stamps;
    bool m_found = false;
    QHash<QString, QStringList> m_parents;
};

} // namespace tessik::platform
