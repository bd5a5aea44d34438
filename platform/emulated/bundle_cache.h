#pragma once

#include "../bundle_data.h"
#include "../file_stamp.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

namespace tessik::platform {

// Reads a bundle folder, or answers what was read while its files are unchanged; nothing when the URL is not a
// readable folder.
std::shared_ptr<const BundleData> openEmulatedBundle(const QUrl& url);

// The same, except that what was read or checked against the disk within the last `trustedForMs` is answered
// without looking again. `stamps` receives the stamps of the files the answer was read from, for a caller that
// keeps them and looks at them later itself, so that a change made meanwhile is found then.
std::shared_ptr<const BundleData> openEmulatedBundle(const QUrl& url, qint64 trustedForMs,
                                                     std::vector<FileStamp>& stamps);

// Whether the URL is an application bundle: a folder named with the "app" extension. Only an application can open
// documents; a plug-in or framework picked by hand would be stored, registered and staged, and never take.
bool isApplicationBundle(const QUrl& url);

// The icon file (.icns) that the bundle's CFBundleIconFile names, when it is there.
std::optional<QString> bundleIconFile(const QUrl& bundleURL);

// Writes what was read of the bundles opened since the cache file was read to that file (of the backend of the
// moment), when it would hold something else than it does.
void keepOpenedBundles();

// Forgets every bundle read so far, so the next opening reads the disk (for measuring cold reads).
void clearBundleCache();

} // namespace tessik::platform
