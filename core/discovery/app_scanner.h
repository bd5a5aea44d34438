#pragma once

#include "capability_parser.h"
#include "core/records/installed_app.h"

#include <QHash>
#include <QList>
#include <QUrl>

class QThreadPool;

#include <optional>

namespace tessik {

// Finds the installed application bundles under the application folders. Reads the disk afresh each time.
class AppScanner
{
public:
    explicit AppScanner(QList<QUrl> applicationDirectories = defaultApplicationDirectories(),
                        CapabilityParser capabilityParser = {});

    // The platform's application folders, in the order in which a later copy of an application wins.
    static QList<QUrl> defaultApplicationDirectories();

    const QList<QUrl>& applicationDirectories() const { return m_applicationDirectories; }

    // The applications of a scan with the document types each listed bundle declares, by bundle URL, so that
    // the catalog build need not read the bundles again.
    struct Result
    {
        QList<InstalledApp> apps;
        QHash<QUrl, QList<TypeCapability>> capabilities;
    };

    // One record per bundle identifier (a later folder's copy wins), sorted by name. Places that cannot be
    // read are skipped. With a pool, bundles are read on it as well as on the calling thread; the result is
    // the same.
    QList<InstalledApp> scan(QThreadPool* pool = nullptr) const { return scanWithCapabilities(pool).apps; }
    Result scanWithCapabilities(QThreadPool* pool = nullptr) const;
    // How many scans this process has made; for benchmarks and tests.
    static qint64 scansMade();
    // The record of one bundle, or nothing when it is not a usable bundle.
    std::optional<InstalledApp> installedApp(const QUrl& url) const;

private:
    struct Scanned
    {
        InstalledApp app;
        QList<TypeCapability> capabilities;
    };
    // An item already known to be an application.
    std::optional<Scanned> readBundle(const QUrl& url) const;

    QList<QUrl> m_applicationDirectories;
    CapabilityParser m_capabilityParser;
};

} // namespace tessik
