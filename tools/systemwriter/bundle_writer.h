#pragma once

#include "bundle_description.h"

#include <QString>

namespace tessik::tools {

// Writes bundle folders: Contents/Info.plist, localised InfoPlist.strings and, when the information
// dictionary names one, an icon file.
class BundleWriter
{
public:
    explicit BundleWriter(QString root) : m_root(std::move(root)) {}

    // The bundle's absolute path. Throws std::runtime_error when a file cannot be written.
    QString write(const BundleDescription& bundle) const;

    // The old-style strings form, UTF-16 with a byte order mark as Xcode writes it.
    static QByteArray stringsFile(const QVariantMap& entries);

private:
    QString m_root;
};

} // namespace tessik::tools
