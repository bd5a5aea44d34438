#pragma once

#include "../ns_error.h"
#include "mac_system_calls.h"

namespace tessik::platform {

// Launch Services' status for a type it does not know.
inline constexpr OSStatus kLSUnknownTypeErr = -10815;

// The system's error as the layer's: each wrapped error kept beneath the one that wraps it, so that a refusal the
// system reports inside another error is still recognised as one. An empty chain is no error of the system's and
// reads as Launch Services' unknown-type status.
NSError macError(const MacErrorChain& chain);

} // namespace tessik::platform
