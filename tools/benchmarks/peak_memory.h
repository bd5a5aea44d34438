#pragma once

namespace tessik::tools {

// The process's peak resident memory (VmHWM) in KiB, or 0 where the system does not tell.
long peakResidentKilobytes();

} // namespace tessik::tools
