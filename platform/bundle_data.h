#pragma once

#include <QString>
#include <QUrl>
#include <QVariantMap>

namespace tessik::platform {

// What a backend read of a bundle: its location, information dictionary and localised entries.
struct BundleData
{
    virtual ~BundleData() = default;

    QUrl url;
    QVariantMap info;
    QVariantMap localized;
    // The folder of the bundle's resources, or empty when it has none.
    QString resourcesPath;
};

} // namespace tessik::platform
