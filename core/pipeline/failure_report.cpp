#include "failure_report.h"

#include "core/records/handler_explanation_json.h"
#include "core/support/iso_date.h"
#include "core/support/record_folder.h"
#include "core/support/strict_json.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

FailureReport::Entry entryFor(const AssociationChange& change, const std::optional<QString>& observed,
                              const QString& reason, std::optional<ChangeFailureCode> code = std::nullopt)
{
    return {change.typeIdentifier,
            change.affectedExtensions,
            change.role,
            change.targetBundleIdentifier,
            observed,
            reason,
            code};
}

} // namespace

FailureReport FailureReport::fromResult(const ChangeExecutionResult& result, const Explainer& explain)
{
    FailureReport report;
    report.snapshotPath = result.snapshotURL.toLocalFile();
    // Should a change have two results, the last one counts.
    QHash<QString, std::optional<QString>> observed;
    for (const VerificationResult& verification : result.verificationResults)
        observed.insert(verification.change.id(), verification.observedBundleIdentifier);
    for (const AssociationChange& change : result.plan.changes) {
        const auto failure = result.failures.constFind(change.id());
        if (failure == result.failures.cend())
            continue;
        Entry entry = entryFor(change, observed.value(change.id()), *failure, result.failureCode(change.id()));
        if (explain)
            entry.explanation = explain(change.typeIdentifier, change.role);
        report.entries.append(entry);
    }
    return report;
}

FailureReport FailureReport::fromPlan(const ChangePlan& plan, const QString& reason)
{
    FailureReport report;
    for (const AssociationChange& change : plan.changes)
        report.entries.append(entryFor(change, std::nullopt, reason));
    return report;
}

QString FailureReport::emailBody() const
{
    QStringList blocks;
    for (const Entry& entry : entries) {
        QStringList formats;
        for (const QString& extension : entry.extensions)
            formats.append(u'.' + extension);
        blocks.append(QStringList{u"格式："_s + (formats.isEmpty() ? entry.typeIdentifier : formats.join(u", "_s)),
                                  u"类型："_s + entry.typeIdentifier, u"角色："_s + rawValue(entry.role),
                                  u"目标："_s + entry.targetBundleIdentifier,
                                  u"实际："_s + entry.observedBundleIdentifier.value_or(u"未设置"_s),
                                  u"原因："_s + entry.reason}
                          .join(u'\n'));
    }
    return u"Tessik 文件关联失败报告\n时间："_s + IsoDate::format(createdAt) + u"\n\n"_s + blocks.join(u"\n\n"_s) +
           u"\n\n快照："_s + snapshotPath.value_or(u"无"_s);
}

QJsonObject FailureReport::toJson() const
{
    QJsonArray array;
    for (const Entry& entry : entries) {
        QJsonObject object{{u"extensions"_s, QJsonArray::fromStringList(entry.extensions)},
                           {u"reason"_s, entry.reason},
                           {u"role"_s, rawValue(entry.role)},
                           {u"targetBundleIdentifier"_s, entry.targetBundleIdentifier},
                           {u"typeIdentifier"_s, entry.typeIdentifier}};
        if (entry.observedBundleIdentifier)
            object.insert(u"observedBundleIdentifier"_s, *entry.observedBundleIdentifier);
        if (entry.reasonCode)
            object.insert(u"reasonCode"_s, rawValue(*entry.reasonCode));
        if (entry.explanation)
            object.insert(u"explanation"_s, HandlerExplanationJson::toJson(*entry.explanation));
        array.append(object);
    }
    QJsonObject object{
        {u"createdAt"_s, IsoDate::format(createdAt)}, {u"entries"_s, array}, {u"id"_s, RecordFolder::uuidText(id)}};
    if (snapshotPath)
        object.insert(u"snapshotPath"_s, *snapshotPath);
    return object;
}

FailureReport FailureReport::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"failure report"_s);
    FailureReport report{json.uuid(u"id"_s), json.date(u"createdAt"_s), json.optionalString(u"snapshotPath"_s), {}};
    for (const QJsonValue& value : json.array(u"entries"_s)) {
        if (!value.isObject())
            throw JsonDecodingError(u"failure report: an entry is not an object."_s, u"failure report"_s, u"entries"_s);
        const QJsonObject entry = value.toObject();
        const StrictJson fields(entry, u"failure report entry"_s);
        const std::optional<QJsonObject> explanation = fields.optionalObject(u"explanation"_s);
        report.entries.append(
            {fields.string(u"typeIdentifier"_s), fields.stringList(u"extensions"_s),
             decodeRole(entry, u"role"_s, u"failure report entry"_s), fields.string(u"targetBundleIdentifier"_s),
             fields.optionalString(u"observedBundleIdentifier"_s), fields.string(u"reason"_s),
             // A code this version does not know reads as none: the text still explains it.
             changeFailureCodeFromRawValue(fields.optionalString(u"reasonCode"_s).value_or(QString())),
             explanation ? std::optional(HandlerExplanationJson::fromJson(*explanation)) : std::nullopt});
    }
    return report;
}

} // namespace tessik
