#pragma once

#include "core/pipeline/change_execution_result.h"
#include "core/pipeline/failure_report.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace tessik {

// The texts a user reads about changes that did not take: the model's message and the failure mail.
class FailureTexts
{
public:
    // Where the report went: its path, or why it could not be saved.
    struct SavedReport
    {
        std::optional<QString> path;
        std::optional<QString> error;
    };

    // Lists each change that failed (not those the user declined) with its reason, then where the report is.
    static QString failureMessage(const ChangeExecutionResult& result, const SavedReport& saved,
                                  const QString& language);
    // For a run that could not start.
    static QString executionErrorMessage(const QString& reason, const SavedReport& saved, const QString& language);
    // A mail draft without recipient carrying the report.
    static QUrl failureEmail(const FailureReport& report, const QString& language);
    // A "mailto" draft without recipient from which a mail client recovers the subject and body exactly.
    static QUrl mailDraft(const QString& subject, const QString& body);
    // The report as the mail and the command line show it.
    static QString body(const FailureReport& report, const QString& language);

    // A recorded reason as the user reads it: an unconfirmed change is explained in the language; other
    // reasons were recorded in it already.
    static QString reason(std::optional<ChangeFailureCode> code, const QString& recorded,
                          const std::optional<QString>& observed, const QString& target, const QString& language);
    static QString roleName(AssociationRole role, const QString& language);
    // ".jpeg, .jpg", or the type identifier when there are no extensions.
    static QString subject(const QStringList& extensions, const QString& typeIdentifier);

private:
    static QString savedLine(const SavedReport& saved, const QString& language);
};

} // namespace tessik
