#pragma once

#include "carried_default.h"
#include "core/pipeline/change_request.h"
#include "core/records/installed_app.h"

#include <QList>

#include <functional>
#include <optional>

namespace tessik {

// Turns carried defaults into the requests of one plan for this machine. What this machine cannot take (an
// application it does not have, an extension no type claims) is set aside with its reason, never an error.
class DefaultsImport
{
public:
    enum class SkipReason
    {
        missingApplication,
        unknownExtension,
    };
    struct Skipped
    {
        CarriedDefault entry;
        SkipReason reason;
        bool operator==(const Skipped&) const = default;
    };
    struct Prepared
    {
        QList<ChangeRequest> requests;
        // What each request came from, index for index.
        QList<CarriedDefault> sources;
        QList<Skipped> skipped;
    };
    // The content type of an extension on this machine, or nothing.
    using ExtensionResolver = std::function<std::optional<QString>(const QString& extension)>;

    // Requests keep the order of the file; an application is found by its bundle identifier in any case and
    // requested as this machine spells it.
    static Prepared prepare(const QList<CarriedDefault>& defaults, const QList<InstalledApp>& installed,
                            const ExtensionResolver& typeForExtension);
};

} // namespace tessik
