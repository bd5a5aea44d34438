#pragma once

#include "change_plan.h"
#include "core/services/association_reading.h"
#include "verification_result.h"

#include <memory>

namespace tessik {

// Reads handlers back and compares them with what a plan wanted.
class VerificationService
{
public:
    explicit VerificationService(std::shared_ptr<const AssociationReading> reader);

    // One result per change, in order; throws what the reader throws.
    QList<VerificationResult> verify(const ChangePlan& plan) const;

private:
    std::shared_ptr<const AssociationReading> m_reader;
};

} // namespace tessik
