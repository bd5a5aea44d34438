#pragma once

#include <QString>

namespace tessik::platform {

// The groups of mimeapps.list, defaults.list and mimeinfo.cache, as readers and the writer spell them.
struct MimeAppsGroups
{
    static inline const QString defaults = QStringLiteral("Default Applications");
    static inline const QString added = QStringLiteral("Added Associations");
    static inline const QString removed = QStringLiteral("Removed Associations");
    static inline const QString cache = QStringLiteral("MIME Cache");
};

} // namespace tessik::platform
