#pragma once

#include "change_failure_code.h"
#include "change_plan.h"
#include "verification_result.h"

#include <QHash>
#include <QSet>
#include <QUrl>

namespace tessik {

// How every change of an executed plan ended.
struct ChangeExecutionResult
{
    ChangePlan plan;
    QUrl snapshotURL;
    // One per change, in the plan's order.
    QList<VerificationResult> verificationResults;
    // Change id → reason, as a person reads it.
    QHash<QString, QString> failures;
    // Change id → what kind of failure, beside every entry of `failures`.
    QHash<QString, ChangeFailureCode> failureCodes;
    QSet<QString> declinedChangeIDs;

    bool succeeded() const;
    std::optional<ChangeFailureCode> failureCode(const QString& changeID) const;
};

} // namespace tessik
