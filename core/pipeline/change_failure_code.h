#pragma once

#include <QString>

#include <optional>

namespace tessik {

// What kind of failure ended a single change. A layer above recognises a reason by this code; the recorded text
// beside it stays for people and for readers of older reports. Stored as its raw string.
enum class ChangeFailureCode
{
    // The write went through but the system reports another handler, often after a confirmation.
    notConfirmed,
    // The system refused the write.
    writeFailed,
    // The handler could not be read back.
    readBackFailed,
};

QString rawValue(ChangeFailureCode code);
// Absent for a value this version does not know.
std::optional<ChangeFailureCode> changeFailureCodeFromRawValue(const QString& raw);

} // namespace tessik
