#include "staged_import.h"

#include "app/model/app_model.h"
#include "core/services/type_resolver.h"

namespace tessik {

StagedImport::Outcome StagedImport::stage(AppModel& model, const QList<CarriedDefault>& defaults)
{
    const DefaultsImport::Prepared prepared =
        DefaultsImport::prepare(defaults, model.apps(), [resolver = TypeResolver()](const QString& extension) {
            return resolver.typeIdentifier(extension);
        });
    Outcome outcome;
    outcome.skipped = prepared.skipped;
    if (prepared.requests.isEmpty())
        return outcome;

    const AssociationRole first = prepared.requests.constFirst().role;
    const bool oneRole = std::all_of(prepared.requests.cbegin(), prepared.requests.cend(),
                                     [&](const ChangeRequest& request) { return request.role == first; });
    if (oneRole && model.pending().isEmpty())
        model.setRole(first);

    AppModel::StringMap pending = model.pending();
    for (qsizetype index = 0; index < prepared.requests.size(); ++index) {
        const ChangeRequest& request = prepared.requests[index];
        if (request.role != model.role()) {
            outcome.otherRoles.append(prepared.sources[index]);
            continue;
        }
        const auto association = model.association(request.typeIdentifier);
        if (association && association->defaultHandlers.value(request.role) == request.targetBundleIdentifier &&
            !pending.contains(request.typeIdentifier)) {
            ++outcome.inEffect;
            continue;
        }
        pending.insert(request.typeIdentifier, request.targetBundleIdentifier);
        ++outcome.staged;
    }
    // One change of the staged set, so the views update once.
    model.setPending(pending);
    return outcome;
}

} // namespace tessik
