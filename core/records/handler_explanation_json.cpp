#include "handler_explanation_json.h"

#include "core/support/strict_json.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

using Explanation = platform::HandlerExplanation;
using Source = Explanation::Source;
using Reason = Explanation::PassOverReason;

constexpr Source sources[] = {Source::none,        Source::storedRole,       Source::storedAllRoles,
                              Source::claimant,    Source::defaultApplications, Source::addedAssociation,
                              Source::desktopEntry, Source::system};
constexpr Reason reasons[] = {Reason::notInstalled, Reason::hidden, Reason::notStartable, Reason::removed};

void insertIfSet(QJsonObject& object, const QString& key, const QString& value)
{
    if (!value.isEmpty())
        object.insert(key, value);
}

QString optional(const StrictJson& json, const QString& key)
{
    return json.optionalString(key).value_or(QString());
}

} // namespace

QString HandlerExplanationJson::rawValue(Source source)
{
    switch (source) {
    case Source::none:
        return u"none"_s;
    case Source::storedRole:
        return u"storedRole"_s;
    case Source::storedAllRoles:
        return u"storedAllRoles"_s;
    case Source::claimant:
        return u"claimant"_s;
    case Source::defaultApplications:
        return u"defaultApplications"_s;
    case Source::addedAssociation:
        return u"addedAssociation"_s;
    case Source::desktopEntry:
        return u"desktopEntry"_s;
    case Source::system:
        return u"system"_s;
    }
    return {};
}

QString HandlerExplanationJson::rawValue(Reason reason)
{
    switch (reason) {
    case Reason::notInstalled:
        return u"notInstalled"_s;
    case Reason::hidden:
        return u"hidden"_s;
    case Reason::notStartable:
        return u"notStartable"_s;
    case Reason::removed:
        return u"removed"_s;
    }
    return {};
}

QJsonObject HandlerExplanationJson::toJson(const Explanation& explanation)
{
    QJsonObject object{{u"source"_s, rawValue(explanation.source)}};
    if (explanation.handler)
        object.insert(u"bundleIdentifier"_s, *explanation.handler);
    insertIfSet(object, u"decidingType"_s, explanation.decidingType);
    insertIfSet(object, u"listedAs"_s, explanation.listedAs);
    insertIfSet(object, u"file"_s, explanation.file);
    insertIfSet(object, u"group"_s, explanation.group);
    insertIfSet(object, u"rank"_s, explanation.rank);
    insertIfSet(object, u"claimedRole"_s, explanation.claimedRole);
    QJsonArray passedOver;
    for (const Explanation::PassedOver& entry : explanation.passedOver) {
        QJsonObject item{{u"bundleIdentifier"_s, entry.handler}, {u"reason"_s, rawValue(entry.reason)}};
        insertIfSet(item, u"file"_s, entry.file);
        insertIfSet(item, u"group"_s, entry.group);
        insertIfSet(item, u"type"_s, entry.type);
        insertIfSet(item, u"removedBy"_s, entry.removedBy);
        passedOver.append(item);
    }
    object.insert(u"passedOver"_s, passedOver);
    return object;
}

Explanation HandlerExplanationJson::fromJson(const QJsonObject& object)
{
    const QString record = u"handler explanation"_s;
    const StrictJson json(object, record);
    Explanation explanation;
    const QString source = json.string(u"source"_s);
    explanation.source = Source::system;
    for (Source known : sources)
        if (rawValue(known) == source)
            explanation.source = known;
    explanation.handler = json.optionalString(u"bundleIdentifier"_s);
    explanation.decidingType = optional(json, u"decidingType"_s);
    explanation.listedAs = optional(json, u"listedAs"_s);
    explanation.file = optional(json, u"file"_s);
    explanation.group = optional(json, u"group"_s);
    explanation.rank = optional(json, u"rank"_s);
    explanation.claimedRole = optional(json, u"claimedRole"_s);
    for (const QJsonValue& value : json.array(u"passedOver"_s)) {
        if (!value.isObject())
            throw JsonDecodingError(record + u": a passed-over entry is not an object."_s, record, u"passedOver"_s);
        const StrictJson item(value.toObject(), u"passed-over entry"_s);
        const QString reason = item.string(u"reason"_s);
        for (Reason known : reasons)
            if (rawValue(known) == reason)
                explanation.passedOver.append({item.string(u"bundleIdentifier"_s), known, optional(item, u"file"_s),
                                               optional(item, u"group"_s), optional(item, u"type"_s),
                                               optional(item, u"removedBy"_s)});
    }
    return explanation;
}

} // namespace tessik
