#pragma once

#include <QByteArray>
#include <QString>

namespace tessik::tools {

// The mimeinfo.cache of an applications folder, byte for byte as update-desktop-database writes it, so a sandboxed
// desktop needs no desktop-file-utils to be registered.
class MimeInfoCache
{
public:
    // Every desktop entry below the folder that is not hidden, under its desktop file ID, listed for each valid type
    // of its MimeType key; types and IDs in byte order.
    static QByteArray build(const QString& applicationsDirectory);
};

} // namespace tessik::tools
