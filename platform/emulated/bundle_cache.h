#pragma once

namespace tessik::platform {

// Forgets every bundle read so far, so the next opening reads the disk (for measuring cold reads).
void clearBundleCache();

} // namespace tessik::platform
