#include "verification_service.h"

namespace tessik {

VerificationService::VerificationService(std::shared_ptr<const AssociationReading> reader) : m_reader(std::move(reader))
{
}

QList<VerificationResult> VerificationService::verify(const ChangePlan& plan) const
{
    QList<VerificationResult> results;
    for (const AssociationChange& change : plan.changes) {
        const auto observed = m_reader->defaultHandler(change.typeIdentifier, change.role);
        results.append({change, observed, observed == change.targetBundleIdentifier});
    }
    return results;
}

} // namespace tessik
