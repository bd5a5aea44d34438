#include "association_change.h"

#include "core/support/strict_json.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace tessik {

QJsonObject AssociationChange::toJson() const
{
    QJsonObject object{{u"typeIdentifier"_s, typeIdentifier},
                       {u"role"_s, rawValue(role)},
                       {u"targetBundleIdentifier"_s, targetBundleIdentifier},
                       {u"affectedExtensions"_s, QJsonArray::fromStringList(affectedExtensions)}};
    if (previousBundleIdentifier)
        object.insert(u"previousBundleIdentifier"_s, *previousBundleIdentifier);
    return object;
}

AssociationChange AssociationChange::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"change"_s);
    return {json.string(u"typeIdentifier"_s), decodeRole(object, u"role"_s, u"change"_s),
            json.optionalString(u"previousBundleIdentifier"_s), json.string(u"targetBundleIdentifier"_s),
            json.stringList(u"affectedExtensions"_s)};
}

size_t qHash(const AssociationChange& c, size_t seed)
{
    return qHashMulti(seed, c.typeIdentifier, c.role, c.previousBundleIdentifier.value_or(QString()),
                      bool(c.previousBundleIdentifier), c.targetBundleIdentifier, c.affectedExtensions);
}

AssociationRole decodeRole(const QJsonObject& object, const QString& key, const QString& record)
{
    const QString raw = StrictJson(object, record).string(key);
    const auto role = associationRoleFromRawValue(raw);
    if (!role)
        throw JsonDecodingError(u"%1: \"%2\" is not a role (viewer, editor, shell or all)."_s.arg(record, raw), record, key);
    return *role;
}

} // namespace tessik
