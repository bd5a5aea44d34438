#include "change_planner.h"

#include "change_planner_error.h"
#include "core/records/url_scheme.h"
#include "core/services/type_resolver.h"
#include "core/support/plain_order.h"
#include "platform/lookup_batch.h"

namespace tessik {

ChangePlanner::ChangePlanner(std::shared_ptr<const AssociationReading> reader) : m_reader(std::move(reader)) {}

ChangePlan ChangePlanner::plan(const QList<ChangeRequest>& requests,
                               const QHash<QString, QStringList>& knownExtensions) const
{
    QList<ChangeRequest> unique;
    for (ChangeRequest request : requests) {
        request.role = URLScheme::roleFor(request.typeIdentifier, request.role);
        const auto earlier = std::find_if(unique.begin(), unique.end(), [&](const ChangeRequest& other) {
            return other.typeIdentifier == request.typeIdentifier && other.role == request.role;
        });
        if (earlier == unique.end())
            unique.append(request);
        else if (earlier->targetBundleIdentifier != request.targetBundleIdentifier)
            throw ChangePlannerError(request.typeIdentifier);
    }

    const TypeResolver resolver;
    const platform::LookupBatch batch;
    QList<AssociationChange> changes;
    for (const ChangeRequest& request : unique) {
        const std::optional<QString> current = m_reader->defaultHandler(request.typeIdentifier, request.role);
        if (current == request.targetBundleIdentifier)
            continue;
        changes.append({request.typeIdentifier, request.role, current, request.targetBundleIdentifier,
                        sortedUniquePlain(resolver.extensions(request.typeIdentifier) +
                                          knownExtensions.value(request.typeIdentifier))});
    }
    return {QDateTime::currentDateTimeUtc(), changes};
}

} // namespace tessik
