#pragma once

#include "change_execution_result.h"
#include "platform/handler_explanation.h"

#include <QDateTime>
#include <QJsonObject>
#include <QUuid>

#include <functional>
#include <optional>

namespace tessik {

// The record of changes that did not take, which the user can mail.
struct FailureReport
{
    struct Entry
    {
        QString typeIdentifier;
        QStringList extensions;
        AssociationRole role = AssociationRole::all;
        QString targetBundleIdentifier;
        std::optional<QString> observedBundleIdentifier;
        QString reason;
        // Absent in reports of older versions and for a run that could not start.
        std::optional<ChangeFailureCode> reasonCode;
        // Why the system answers the handler it did after the change; absent in reports of older versions and
        // when it could not be told.
        std::optional<platform::HandlerExplanation> explanation;

        bool operator==(const Entry&) const = default;
    };

    QUuid id = QUuid::createUuid();
    QDateTime createdAt = QDateTime::currentDateTimeUtc();
    std::optional<QString> snapshotPath;
    QList<Entry> entries;

    // Why a type's handler in a role is what it is, or nothing when that cannot be told.
    using Explainer =
        std::function<std::optional<platform::HandlerExplanation>(const QString& typeIdentifier, AssociationRole role)>;

    // One entry per failed change of the result, in plan order, each explained when `explain` is given.
    static FailureReport fromResult(const ChangeExecutionResult& result, const Explainer& explain = {});
    // One entry per planned change, all with the same reason, for an execution that could not start.
    static FailureReport fromPlan(const ChangePlan& plan, const QString& reason);

    // The plain-text rendering.
    QString emailBody() const;

    bool operator==(const FailureReport&) const = default;

    QJsonObject toJson() const;
    // Throws JsonDecodingError.
    static FailureReport fromJson(const QJsonObject& object);
};

} // namespace tessik
