#include "change_execution_result.h"

namespace tessik {

bool ChangeExecutionResult::succeeded() const
{
    return failures.isEmpty() && declinedChangeIDs.isEmpty() &&
           std::all_of(verificationResults.begin(), verificationResults.end(),
                       [](const VerificationResult& result) { return result.succeeded; });
}

std::optional<ChangeFailureCode> ChangeExecutionResult::failureCode(const QString& changeID) const
{
    const auto found = failureCodes.constFind(changeID);
    return found != failureCodes.cend() ? std::optional(*found) : std::nullopt;
}

} // namespace tessik
