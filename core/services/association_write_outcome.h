#pragma once

namespace tessik {

// How a write ended when it did not fail.
enum class AssociationWriteOutcome
{
    // The confirming path succeeded; the handler is still read back, briefly.
    confirmed,
    // The user refused the system's confirmation; nothing changed.
    declined,
    // The direct path was accepted; only reading back tells whether it took.
    pendingVerification,
};

} // namespace tessik
