#include "change_plan.h"

#include "core/support/iso_date.h"
#include "core/support/strict_json.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace tessik {

QJsonObject ChangePlan::toJson() const
{
    QJsonArray array;
    for (const AssociationChange& change : changes)
        array.append(change.toJson());
    return {{u"createdAt"_s, IsoDate::format(createdAt)}, {u"changes"_s, array}};
}

ChangePlan ChangePlan::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"plan"_s);
    ChangePlan plan{json.date(u"createdAt"_s), {}};
    for (const QJsonValue& value : json.array(u"changes"_s)) {
        if (!value.isObject())
            throw JsonDecodingError(u"plan: a change is not an object."_s, u"plan"_s, u"changes"_s);
        plan.changes.append(AssociationChange::fromJson(value.toObject()));
    }
    return plan;
}

} // namespace tessik
