#pragma once

#include "../bundle_data.h"

#include <QUrl>

#include <memory>

namespace tessik::platform {

// Reads a bundle folder, or answers what was read while its files are unchanged; nothing when the URL is not a
// readable folder.
std::shared_ptr<const BundleData> openEmulatedBundle(const QUrl& url);

// Forgets every bundle read so far, so the next opening reads the disk (for measuring cold reads).
void clearBundleCache();

} // namespace tessik::platform
