#pragma once

#include "core/pipeline/change_execution_result.h"
#include "core/pipeline/change_request.h"
#include "core/pipeline/failure_report.h"
#include "core/pipeline/sleeper.h"
#include "core/records/file_association.h"

#include <QHash>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace tessik {

// What applying a plan came to.
struct AppliedChanges
{
    ChangePlan plan;
    // Absent when the execution could not start (the snapshot was not saved).
    std::optional<ChangeExecutionResult> result;
    std::optional<QString> executionError;
    // Made when changes failed or the execution could not start; saved to `reportPath`, or `reportError`
    // says why it could not be.
    std::optional<FailureReport> report;
    std::optional<QString> reportPath;
    std::optional<QString> reportError;
};

// Plans and carries out default-handler changes exactly as the program applies them: over Launch Services,
// with the default snapshot, change record and report stores, checks half a second apart for up to a minute (121 checks).
// Shared by the program and the command line. Blocking; run it off the interface thread.
class ChangeApplier
{
public:
    static constexpr double verificationInterval = 0.5;
    static constexpr double defaultWaitSeconds = 60;

    // The checks that fit in the wait, the first one at once: a minute is 121 checks, no wait is one.
    static constexpr int attemptsWithin(double waitSeconds) { return int(waitSeconds / verificationInterval) + 1; }
    static const int verificationAttempts;

    using ErrorDescription = std::function<QString(const std::exception&)>;

    // The extensions the catalog knows per type, with the formats the user added this session.
    static QHash<QString, QStringList> knownExtensions(const QList<FileAssociation>& catalog,
                                                       const QHash<QString, QString>& extraTypes = {});

    // Throws ChangePlannerError or what reading the current handlers throws.
    static ChangePlan plan(const QList<ChangeRequest>& requests, const QHash<QString, QStringList>& knownExtensions);

    // Executes a non-empty plan and saves a failure report when anything failed. Never throws. `describe` gives
    // the reason of a change an error ended, of an execution that cannot start, and of a report that could not
    // be saved.
    static AppliedChanges execute(const ChangePlan& plan, std::stop_token stop = {},
                                  const ErrorDescription& describe = whatOf,
                                  std::shared_ptr<Sleeper> sleeper = std::make_shared<MonotonicSleeper>(),
                                  int attempts = verificationAttempts);

    // Removes the snapshot of a run and the record of how it ended, for a run that changed nothing and is not
    // to be listed or put back.
    static void forget(const ChangeExecutionResult& result);

    static QString whatOf(const std::exception& error) { return QString::fromUtf8(error.what()); }
};

inline constexpr int ChangeApplier::verificationAttempts = attemptsWithin(defaultWaitSeconds);

} // namespace tessik
