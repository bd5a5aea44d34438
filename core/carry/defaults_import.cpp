#include "defaults_import.h"

#include "core/records/url_scheme.h"

#include <QHash>

namespace tessik {

DefaultsImport::Prepared DefaultsImport::prepare(const QList<CarriedDefault>& defaults,
                                                 const QList<InstalledApp>& installed,
                                                 const ExtensionResolver& typeForExtension)
{
    QHash<QString, QString> spelling;
    for (const InstalledApp& app : installed)
        spelling.insert(app.bundleIdentifier.toLower(), app.bundleIdentifier);
    // An exact match wins over one that differs only in case.
    for (const InstalledApp& app : installed)
        spelling.insert(app.bundleIdentifier, app.bundleIdentifier);

    Prepared prepared;
    for (const CarriedDefault& entry : defaults) {
        auto app = spelling.constFind(entry.bundleIdentifier);
        if (app == spelling.cend())
            app = spelling.constFind(entry.bundleIdentifier.toLower());
        if (app == spelling.cend()) {
            prepared.skipped.append({entry, SkipReason::missingApplication});
            continue;
        }
        QString type = entry.format;
        if (entry.kind == CarriedDefault::Kind::extension) {
            const auto resolved = typeForExtension(entry.format);
            if (!resolved) {
                prepared.skipped.append({entry, SkipReason::unknownExtension});
                continue;
            }
            type = *resolved;
        }
        // A link has one handler for every role, whatever role its line names.
        prepared.requests.append({type, URLScheme::roleFor(type, entry.role), *app});
        prepared.sources.append(entry);
    }
    return prepared;
}

} // namespace tessik
