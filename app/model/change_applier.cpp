#include "change_applier.h"

#include "core/pipeline/association_change_executor.h"
#include "core/pipeline/change_planner.h"
#include "core/pipeline/failure_report_store.h"
#include "core/services/launch_services_association_reader.h"
#include "core/services/launch_services_association_writer.h"

namespace tessik {
namespace {

// A failed change's report says why the system answers what it does now; a type it cannot explain goes without.
std::optional<platform::HandlerExplanation> explainNow(const QString& type, AssociationRole role)
{
    try {
        return LaunchServicesAssociationReader().explainDefaultHandler(type, role);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

QHash<QString, QStringList> ChangeApplier::knownExtensions(const QList<FileAssociation>& catalog,
                                                           const QHash<QString, QString>& extraTypes)
{
    QHash<QString, QStringList> known;
    for (const FileAssociation& association : catalog)
        known.insert(association.typeIdentifier, association.extensions);
    for (auto it = extraTypes.cbegin(); it != extraTypes.cend(); ++it)
        known[it.key()].append(it.value());
    return known;
}

ChangePlan ChangeApplier::plan(const QList<ChangeRequest>& requests, const QHash<QString, QStringList>& knownExtensions)
{
    return ChangePlanner(std::make_shared<LaunchServicesAssociationReader>()).plan(requests, knownExtensions);
}

AppliedChanges ChangeApplier::execute(const ChangePlan& plan, std::stop_token stop, const ErrorDescription& describe,
                                      std::shared_ptr<Sleeper> sleeper, int attempts)
{
    AppliedChanges applied;
    applied.plan = plan;
    const AssociationChangeExecutor executor(std::make_shared<LaunchServicesAssociationWriter>(), SnapshotStore(),
                                             VerificationService(std::make_shared<LaunchServicesAssociationReader>()),
                                             attempts, verificationInterval, std::move(sleeper), describe);
    try {
        applied.result = executor.execute(plan, stop);
        if (applied.result->failures.isEmpty())
            return applied;
        applied.report = FailureReport::fromResult(*applied.result, explainNow);
    } catch (const std::exception& error) {
        applied.executionError = describe(error);
        applied.report = FailureReport::fromPlan(plan, *applied.executionError);
    }
    try {
        applied.reportPath = FailureReportStore().save(*applied.report).toLocalFile();
    } catch (const std::exception& error) {
        applied.reportError = describe(error);
    }
    return applied;
}

} // namespace tessik
