#include "association_snapshot.h"

#include "core/support/iso_date.h"
#include "core/support/record_folder.h"
#include "core/support/strict_json.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace tessik {

QJsonObject AssociationSnapshot::toJson() const
{
    QJsonArray array;
    for (const SnapshotHandler& handler : handlers) {
        QJsonObject object{{u"typeIdentifier"_s, handler.typeIdentifier}, {u"role"_s, rawValue(handler.role)}};
        if (handler.bundleIdentifier)
            object.insert(u"bundleIdentifier"_s, *handler.bundleIdentifier);
        array.append(object);
    }
    return {
        {u"id"_s, RecordFolder::uuidText(id)}, {u"createdAt"_s, IsoDate::format(createdAt)}, {u"handlers"_s, array}};
}

AssociationSnapshot AssociationSnapshot::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"snapshot"_s);
    AssociationSnapshot snapshot{json.uuid(u"id"_s), json.date(u"createdAt"_s), {}};
    for (const QJsonValue& value : json.array(u"handlers"_s)) {
        if (!value.isObject())
            throw JsonDecodingError(u"snapshot: a handler is not an object."_s, u"snapshot"_s, u"handlers"_s);
        const QJsonObject handler = value.toObject();
        const StrictJson fields(handler, u"snapshot handler"_s);
        snapshot.handlers.append({fields.string(u"typeIdentifier"_s),
                                  decodeRole(handler, u"role"_s, u"snapshot handler"_s),
                                  fields.optionalString(u"bundleIdentifier"_s)});
    }
    return snapshot;
}

} // namespace tessik
