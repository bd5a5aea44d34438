#include "row_badges.h"

#include "app/l10n/l10n.h"
#include "app/model/app_model.h"

using namespace Qt::StringLiterals;

namespace tessik::ui {

QStringList RowBadges::suggestion(const AppModel& model, const QString& typeIdentifier, const InstalledApp& app)
{
    const std::optional<CatalogSuggestion> suggestion = model.suggestion(typeIdentifier, app);
    if (!suggestion || app.supportedTypeIdentifiers.contains(typeIdentifier))
        return {};
    return {suggestion->requiresExtension ? L10n::text(u"需扩展"_s, model.languageCode())
                                          : L10n::text(u"推荐"_s, model.languageCode())};
}

QStringList RowBadges::formatRow(const AppModel& model, const QString& typeIdentifier, const InstalledApp& app)
{
    QStringList badges;
    if (model.isManual(typeIdentifier, app.bundleIdentifier))
        badges.append(L10n::text(u"手动添加"_s, model.languageCode()));
    return badges + suggestion(model, typeIdentifier, app);
}

QStringList RowBadges::candidate(const AppModel& model, const QString& typeIdentifier, const InstalledApp& app)
{
    QStringList badges;
    if (model.isManual(typeIdentifier, app.bundleIdentifier))
        badges.append(L10n::text(u"手动添加"_s, model.languageCode()));
    else
        badges.append(suggestion(model, typeIdentifier, app));
    const std::optional<FileAssociation> association = model.association(typeIdentifier);
    if (model.pending().value(typeIdentifier) == app.bundleIdentifier)
        badges.append(L10n::text(u"待设为默认"_s, model.languageCode()));
    else if (association && association->defaultHandlers.value(model.role()) == app.bundleIdentifier)
        badges.append(L10n::text(u"当前默认"_s, model.languageCode()));
    return badges;
}

} // namespace tessik::ui
