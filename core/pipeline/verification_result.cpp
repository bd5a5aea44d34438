#include "verification_result.h"

#include "core/support/strict_json.h"

using namespace Qt::StringLiterals;

namespace tessik {

QJsonObject VerificationResult::toJson() const
{
    QJsonObject object{{u"change"_s, change.toJson()}, {u"succeeded"_s, succeeded}};
    if (observedBundleIdentifier)
        object.insert(u"observedBundleIdentifier"_s, *observedBundleIdentifier);
    return object;
}

VerificationResult VerificationResult::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"verification result"_s);
    return {AssociationChange::fromJson(json.object(u"change"_s)), json.optionalString(u"observedBundleIdentifier"_s),
            json.boolean(u"succeeded"_s)};
}

} // namespace tessik
