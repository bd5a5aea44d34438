#include "association_change_executor.h"

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

QString notConfirmedReason(const std::optional<QString>& observed, const QString& target)
{
    return u"等待 macOS 确认后，系统仍返回 "_s + observed.value_or(u"未设置"_s) + u"，目标为 "_s + target +
           u"。请检查系统确认窗口；该应用也可能未声明此格式对应的角色。"_s;
}

void fail(ChangeExecutionResult& result, const AssociationChange& change, ChangeFailureCode code, const QString& reason)
{
    result.failures.insert(change.id(), reason);
    result.failureCodes.insert(change.id(), code);
}

} // namespace

AssociationChangeExecutor::AssociationChangeExecutor(std::shared_ptr<AssociationWriting> writer,
                                                     SnapshotStore snapshotStore,
                                                     VerificationService verificationService, int verificationAttempts,
                                                     double verificationIntervalSeconds,
                                                     std::shared_ptr<Sleeper> sleeper, ErrorDescription describe)
    : m_writer(std::move(writer)), m_snapshotStore(std::move(snapshotStore)),
      m_verificationService(std::move(verificationService)), m_verificationAttempts(std::max(verificationAttempts, 1)),
      m_verificationInterval(std::max(verificationIntervalSeconds, 0.0)), m_sleeper(std::move(sleeper)),
      m_describe(describe ? std::move(describe)
                          : [](const std::exception& error) { return QString::fromUtf8(error.what()); })
{
}

ChangeExecutionResult AssociationChangeExecutor::execute(const ChangePlan& plan, std::stop_token stop) const
{
    ChangeExecutionResult result;
    result.plan = plan;
    result.snapshotURL = m_snapshotStore.save(m_snapshotStore.makeSnapshot(plan));
    for (const AssociationChange& change : plan.changes) {
        AssociationWriteOutcome outcome;
        try {
            outcome =
                m_writer->setDefaultHandler(change.targetBundleIdentifier, change.typeIdentifier, change.role, stop);
        } catch (const std::exception& error) {
            fail(result, change, ChangeFailureCode::writeFailed, m_describe(error));
            // What the system answers now, so the report says what is in effect rather than "not set".
            std::optional<QString> observed;
            try {
                observed = check(change).observedBundleIdentifier;
            } catch (const std::exception&) {
            }
            result.verificationResults.append({change, observed, false});
            continue;
        }
        verifyWritten(change, outcome, stop, result);
    }
    return result;
}

VerificationResult AssociationChangeExecutor::check(const AssociationChange& change) const
{
    return m_verificationService.verify({QDateTime::currentDateTimeUtc(), {change}}).constFirst();
}

void AssociationChangeExecutor::verifyWritten(const AssociationChange& change, AssociationWriteOutcome outcome,
                                              std::stop_token stop, ChangeExecutionResult& result) const
{
    try {
        if (outcome == AssociationWriteOutcome::declined) {
            const VerificationResult latest = check(change);
            result.verificationResults.append(latest);
            if (!latest.succeeded)
                result.declinedChangeIDs.insert(change.id());
            return;
        }
        const int attempts = outcome == AssociationWriteOutcome::confirmed
                                 ? std::min(m_verificationAttempts, confirmedAttempts)
                                 : m_verificationAttempts;
        const auto interval =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(m_verificationInterval));
        VerificationResult latest;
        for (int attempt = 0; attempt < attempts; ++attempt) {
            if (attempt > 0)
                m_sleeper->sleep(interval, stop);
            latest = check(change);
            if (latest.succeeded)
                break;
        }
        result.verificationResults.append(latest);
        if (latest.succeeded)
            return;
        if (latest.observedBundleIdentifier == change.previousBundleIdentifier)
            result.declinedChangeIDs.insert(change.id());
        else
            fail(result, change, ChangeFailureCode::notConfirmed,
                 notConfirmedReason(latest.observedBundleIdentifier, change.targetBundleIdentifier));
    } catch (const std::exception& error) {
        fail(result, change, ChangeFailureCode::readBackFailed, m_describe(error));
        result.verificationResults.append({change, std::nullopt, false});
    }
}

} // namespace tessik
