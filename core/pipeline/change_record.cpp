#include "change_record.h"

#include "core/support/record_folder.h"
#include "core/support/strict_json.h"

#include <QFileInfo>
#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace tessik {

QString rawValue(ChangeRecord::Outcome outcome)
{
    switch (outcome) {
    case ChangeRecord::Outcome::succeeded:
        return u"succeeded"_s;
    case ChangeRecord::Outcome::declined:
        return u"declined"_s;
    case ChangeRecord::Outcome::failed:
        break;
    }
    return u"failed"_s;
}

ChangeRecord ChangeRecord::fromResult(const ChangeExecutionResult& result)
{
    ChangeRecord record;
    record.id = QUuid::fromString(QFileInfo(result.snapshotURL.toLocalFile()).completeBaseName());
    for (const VerificationResult& verification : result.verificationResults) {
        const QString id = verification.change.id();
        Outcome outcome = Outcome::failed;
        if (verification.succeeded)
            outcome = Outcome::succeeded;
        else if (result.declinedChangeIDs.contains(id))
            outcome = Outcome::declined;
        record.entries.append({verification.change, outcome});
    }
    return record;
}

QJsonObject ChangeRecord::toJson() const
{
    QJsonArray array;
    for (const Entry& entry : entries) {
        QJsonObject object = entry.change.toJson();
        object.insert(u"outcome"_s, rawValue(entry.outcome));
        array.append(object);
    }
    return {{u"id"_s, RecordFolder::uuidText(id)}, {u"changes"_s, array}};
}

ChangeRecord ChangeRecord::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"change record"_s);
    ChangeRecord record{json.uuid(u"id"_s), {}};
    for (const QJsonValue& value : json.array(u"changes"_s)) {
        if (!value.isObject())
            throw JsonDecodingError(u"change record: a change is not an object."_s, u"change record"_s, u"changes"_s);
        const QJsonObject change = value.toObject();
        const QString outcome = StrictJson(change, u"change record"_s).string(u"outcome"_s);
        Entry entry{AssociationChange::fromJson(change), Outcome::failed};
        if (outcome == rawValue(Outcome::succeeded))
            entry.outcome = Outcome::succeeded;
        else if (outcome == rawValue(Outcome::declined))
            entry.outcome = Outcome::declined;
        else if (outcome != rawValue(Outcome::failed))
            throw JsonDecodingError(u"change record: unknown outcome “%1”."_s.arg(outcome), u"change record"_s,
                                    u"outcome"_s);
        record.entries.append(entry);
    }
    return record;
}

} // namespace tessik
