#include "formats_command.h"

#include "app/l10n/category_names.h"
#include "app/model/catalog_display_index.h"
#include "app/model/catalog_loader.h"
#include "cli/terminal_text.h"
#include "core/catalog/custom_association_store.h"
#include "core/records/url_scheme.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

QStringList bundleIdentifiers(const QList<InstalledApp>& apps)
{
    QStringList identifiers;
    for (const InstalledApp& app : apps)
        identifiers.append(app.bundleIdentifier);
    return identifiers;
}

} // namespace

FormatsCommand::FormatsCommand()
    : CliCommand(u"formats"_s, u"Print the format catalog: every content type with its applications and handlers."_s)
{
}

void FormatsCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"json"_s, u"Print a JSON array of typeIdentifier, kind (contentType or urlScheme), extensions, "
                                 "category, capableApps, suggestedAppIDs, defaultHandlers."_s});
    parser.addOption({u"server-url"_s, u"The update service whose downloaded catalog to prefer."_s, u"url"_s});
}

int FormatsCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    requirePositional(parser, 0, io.language);
    const QString& language = io.language;

    std::optional<FormatKnowledgeBase> knowledge;
    LoadedCatalog catalog;
    try {
        CatalogLoader::FirstLoad loaded = CatalogLoader::loadFirst(CustomAssociationStore().load());
        knowledge = std::move(loaded.knowledge);
        catalog = std::move(loaded.catalog);
    } catch (const std::exception& error) {
        io.err << L10n::text(u"读取失败：{reason}"_s, language, {{u"reason"_s, L10n::error(error, language)}}) << u'\n';
        return 1;
    }
    const auto categoryOf = [&](const FileAssociation& association) {
        if (URLScheme::isIdentifier(association.typeIdentifier))
            return CatalogDisplayIndex::linksCategory;
        const auto category = knowledge->category(association.extensions);
        return category ? category->id : CatalogDisplayIndex::otherCategory;
    };
    if (parser.isSet(u"json"_s)) {
        printJsonArray(io.out, catalog.associations.size(), [&](qsizetype i) {
            const FileAssociation& association = std::as_const(catalog.associations)[i];
            QJsonObject handlers;
            for (auto it = association.defaultHandlers.cbegin(); it != association.defaultHandlers.cend(); ++it)
                handlers.insert(rawValue(it.key()), it.value());
            const bool link = URLScheme::isIdentifier(association.typeIdentifier);
            return QJsonObject{
                {u"typeIdentifier"_s, association.typeIdentifier},
                {u"kind"_s, link ? u"urlScheme"_s : u"contentType"_s},
                {u"extensions"_s, QJsonArray::fromStringList(association.extensions)},
                {u"category"_s, categoryOf(association)},
                {u"capableApps"_s, QJsonArray::fromStringList(bundleIdentifiers(association.capableApps))},
                {u"suggestedAppIDs"_s, QJsonArray::fromStringList(association.suggestedAppIDs)},
                {u"defaultHandlers"_s, handlers}};
        });
        return 0;
    }
    for (const FileAssociation& association : catalog.associations) {
        io.out << TerminalText::escaped(association.typeIdentifier) << u"  ["_s
               << CategoryNames::name(knowledge->categories(), categoryOf(association), language) << u"]\n"_s;
        if (!association.extensions.isEmpty())
            io.out << u"  "_s
                   << L10n::text(
                          u"扩展名：{extensions}"_s, language,
                          {{u"extensions"_s, TerminalText::escaped(u'.' + association.extensions.join(u" ."_s))}})
                   << u'\n';
        QStringList apps;
        for (const InstalledApp& app : association.capableApps)
            apps.append(u"%1 (%2)%3"_s.arg(TerminalText::escaped(app.name), TerminalText::escaped(app.bundleIdentifier),
                                           association.suggestedAppIDs.contains(app.bundleIdentifier)
                                               ? u" ["_s + L10n::text(u"推荐"_s, language) + u']'
                                               : QString()));
        io.out << u"  "_s << L10n::text(u"应用：{apps}"_s, language, {{u"apps"_s, apps.join(u", "_s)}}) << u'\n';
        for (AssociationRole role : allAssociationRoles)
            if (association.defaultHandlers.contains(role))
                io.out << u"  "_s << rawValue(role) << u": "_s
                       << TerminalText::escaped(association.defaultHandlers.value(role)) << u'\n';
    }
    return 0;
}

} // namespace tessik::cli
