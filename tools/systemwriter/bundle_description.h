#pragma once

#include "platform/emulated/property_list.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace tessik::tools {

// Everything needed to put one bundle folder on disk.
struct BundleDescription
{
    // Relative to the system root ("Applications/Foo.app") or absolute.
    QString path;
    QVariantMap info;
    platform::PropertyList::Format format = platform::PropertyList::Format::Xml;
    // Localisation folder ("zh-Hans") → InfoPlist.strings entries.
    QMap<QString, QVariantMap> localizedStrings;
    // Raw Info.plist bytes that replace the encoded dictionary (to make broken bundles).
    std::optional<QByteArray> rawInfoPlist;
    // The icon file's bytes, written under the name CFBundleIconFile gives.
    QByteArray icon;
};

} // namespace tessik::tools
