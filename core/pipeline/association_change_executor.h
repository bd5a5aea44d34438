#pragma once

#include "change_execution_result.h"
#include "core/services/association_writing.h"
#include "sleeper.h"
#include "snapshot_store.h"
#include "verification_service.h"

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

namespace tessik {

// Carries out a plan: saves a snapshot, then writes and verifies each change in order. Never rolls back.
class AssociationChangeExecutor
{
public:
    // The localised description of an error, recorded as the reason of a change it ended.
    using ErrorDescription = std::function<QString(const std::exception&)>;

    AssociationChangeExecutor(std::shared_ptr<AssociationWriting> writer, SnapshotStore snapshotStore,
                              VerificationService verificationService, int verificationAttempts,
                              double verificationIntervalSeconds,
                              std::shared_ptr<Sleeper> sleeper = std::make_shared<MonotonicSleeper>(),
                              ErrorDescription describe = {});

    // The most checks after a confirmed write, whatever the attempt count.
    static constexpr int confirmedAttempts = 7;

    int verificationAttempts() const { return m_verificationAttempts; }
    double verificationInterval() const { return m_verificationInterval; }

    // Blocking. Throws only when the snapshot cannot be saved, before anything is written; every other
    // failure is recorded in the result. A stop request ends the waits, not the loop.
    ChangeExecutionResult execute(const ChangePlan& plan, std::stop_token stop = {}) const;

private:
    void verifyWritten(const AssociationChange& change, AssociationWriteOutcome outcome, std::stop_token stop,
                       ChangeExecutionResult& result) const;
    VerificationResult check(const AssociationChange& change) const;

    std::shared_ptr<AssociationWriting> m_writer;
    SnapshotStore m_snapshotStore;
    VerificationService m_verificationService;
    int m_verificationAttempts;
    double m_verificationInterval;
    std::shared_ptr<Sleeper> m_sleeper;
    ErrorDescription m_describe;
};

} // namespace tessik
