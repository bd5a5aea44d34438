#pragma once

#include "capability_parser.h"
#include "core/records/installed_app.h"

#include <QList>
#include <QUrl>

#include <optional>

namespace tessik {

// Finds the installed application bundles under the application folders. Reads the disk afresh each time.
class AppScanner
{
public:
    explicit AppScanner(QList<QUrl> applicationDirectories = defaultApplicationDirectories(),
                        CapabilityParser capabilityParser = {});

    // "/Applications", "/System/Applications" and the per-user Applications folder, in that order.
    static QList<QUrl> defaultApplicationDirectories();

    const QList<QUrl>& applicationDirectories() const { return m_applicationDirectories; }

    // One record per bundle identifier (a later folder's copy wins), sorted by name. Places that cannot be
    // read are skipped.
    QList<InstalledApp> scan() const;
    // The record of one bundle, or nothing when it is not a usable bundle.
    std::optional<InstalledApp> installedApp(const QUrl& url) const;

private:
    QList<QUrl> m_applicationDirectories;
    CapabilityParser m_capabilityParser;
};

} // namespace tessik
