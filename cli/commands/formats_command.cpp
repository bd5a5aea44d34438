#include "formats_command.h"

#include "app/model/catalog_loader.h"
#include "core/catalog/custom_association_store.h"
#include "platform/user_defaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tessik::cli {
namespace {

const QString otherCategory = u"other"_s;

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
    parser.addOption({u"json"_s, u"Print a JSON array of typeIdentifier, extensions, category, capableApps, "
                                 "suggestedAppIDs, defaultHandlers."_s});
    parser.addOption({u"server-url"_s, u"The update service whose downloaded catalog to prefer."_s, u"url"_s});
    parser.addOption({u"language"_s,
                      u"Language of category names: zh, en, fr, de, es, ja or ko "
                      "(default: the program's language setting)."_s,
                      u"code"_s});
}

int FormatsCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    requirePositional(parser, 0);
    QString language = parser.value(u"language"_s);
    if (language.isEmpty())
        language = platform::UserDefaults::objectForKey(u"TessikLanguage"_s).toString();
    if (language.isEmpty())
        language = u"zh"_s;

    std::optional<FormatKnowledgeBase> knowledge;
    LoadedCatalog catalog;
    try {
        const QList<CustomAssociation> custom = CustomAssociationStore().load();
        knowledge = CatalogLoader::chooseKnowledge(std::nullopt);
        catalog = CatalogLoader::load(custom, *knowledge);
    } catch (const std::exception& error) {
        io.err << u"读取失败：%1\n"_s.arg(QString::fromUtf8(error.what()));
        return 1;
    }

    QJsonArray array;
    for (const FileAssociation& association : catalog.associations) {
        const auto category = knowledge->category(association.extensions);
        if (!parser.isSet(u"json"_s)) {
            io.out << association.typeIdentifier << u"  ["_s
                   << (category ? category->localizedName(language) : u"其他格式"_s) << u"]\n"_s;
            if (!association.extensions.isEmpty())
                io.out << u"  extensions: ."_s << association.extensions.join(u" ."_s) << u'\n';
            QStringList apps;
            for (const InstalledApp& app : association.capableApps)
                apps.append(u"%1 (%2)%3"_s.arg(
                    app.name, app.bundleIdentifier,
                    association.suggestedAppIDs.contains(app.bundleIdentifier) ? u" suggested"_s : QString()));
            io.out << u"  apps: "_s << apps.join(u", "_s) << u'\n';
            for (AssociationRole role : allAssociationRoles)
                if (association.defaultHandlers.contains(role))
                    io.out << u"  "_s << rawValue(role) << u": "_s << association.defaultHandlers.value(role) << u'\n';
            continue;
        }
        QJsonObject handlers;
        for (auto it = association.defaultHandlers.cbegin(); it != association.defaultHandlers.cend(); ++it)
            handlers.insert(rawValue(it.key()), it.value());
        array.append(
            QJsonObject{{u"typeIdentifier"_s, association.typeIdentifier},
                        {u"extensions"_s, QJsonArray::fromStringList(association.extensions)},
                        {u"category"_s, category ? category->id : otherCategory},
                        {u"capableApps"_s, QJsonArray::fromStringList(bundleIdentifiers(association.capableApps))},
                        {u"suggestedAppIDs"_s, QJsonArray::fromStringList(association.suggestedAppIDs)},
                        {u"defaultHandlers"_s, handlers}});
    }
    if (parser.isSet(u"json"_s))
        io.out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    return 0;
}

} // namespace tessik::cli
