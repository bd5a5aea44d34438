#pragma once

#include "change_execution_result.h"

#include <QDateTime>
#include <QJsonObject>
#include <QUuid>

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

        bool operator==(const Entry&) const = default;
    };

    QUuid id = QUuid::createUuid();
    QDateTime createdAt = QDateTime::currentDateTimeUtc();
    std::optional<QString> snapshotPath;
    QList<Entry> entries;

    // One entry per failed change of the result, in plan order.
    static FailureReport fromResult(const ChangeExecutionResult& result);
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
