#pragma once

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
    // Change id → reason.
    QHash<QString, QString> failures;
    QSet<QString> declinedChangeIDs;

    bool succeeded() const;
};

} // namespace tessik
