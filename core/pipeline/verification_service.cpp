#include "verification_service.h"

#include "platform/lookup_batch.h"

namespace tessik {

VerificationService::VerificationService(std::shared_ptr<const AssociationReading> reader) : m_reader(std::move(reader))
{
}

QList<VerificationResult> VerificationService::verify(const ChangePlan& plan) const
{
    // One check reads the handlers once, however many changes it checks; the next check reads them again.
    const platform::LookupBatch batch;
    QList<VerificationResult> results;
    for (const AssociationChange& change : plan.changes) {
        const auto observed = m_reader->defaultHandler(change.typeIdentifier, change.role);
        results.append({change, observed, observed == change.targetBundleIdentifier});
    }
    return results;
}

} // namespace tessik
