#include "change_execution_result.h"

namespace tessik {

bool ChangeExecutionResult::succeeded() const
{
    return failures.isEmpty() && declinedChangeIDs.isEmpty() &&
           std::all_of(verificationResults.begin(), verificationResults.end(),
                       [](const VerificationResult& result) { return result.succeeded; });
}

} // namespace tessik
