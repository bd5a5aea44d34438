#include "apps_command.h"

#include "app/model/catalog_loader.h"
#include "cli/terminal_text.h"
#include "core/catalog/custom_association_store.h"
#include "core/discovery/app_scanner.h"
#include "core/services/launch_services_association_reader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThreadPool>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tessik::cli {

AppsCommand::AppsCommand()
    : CliCommand(u"apps"_s, u"List the installed applications, sorted by name, or those that open a format."_s)
{
}

void AppsCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"json"_s, u"Print a JSON array of name, bundleIdentifier, url, supportedTypeIdentifiers; "
                                 "with --for, an object of typeIdentifier and apps (name, bundleIdentifier, "
                                 "isDefault, isRecommended)."_s});
    parser.addOption({u"for"_s,
                      u"Only the applications that can open this format (declared, recommended or associated by "
                      "the user), marking the current default and the recommended ones. "_s +
                          targetHelp(),
                      u"target"_s});
}

int AppsCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    requirePositional(parser, 0, io.language);
    if (parser.isSet(u"for"_s))
        return listHandlers(requireTarget(parser.value(u"for"_s), io.language), parser.isSet(u"json"_s), io);
    const QList<InstalledApp> apps = AppScanner().scan(QThreadPool::globalInstance());
    if (parser.isSet(u"json"_s)) {
        printJsonArray(io.out, apps.size(), [&apps](qsizetype i) { return apps[i].toJson(); });
        return 0;
    }
    for (const InstalledApp& app : apps)
        io.out << TerminalText::escaped(app.name) << u'\t' << TerminalText::escaped(app.bundleIdentifier) << u'\t'
               << TerminalText::escaped(app.url.toLocalFile()) << u'\t'
               << L10n::text(u"类型数：{count}"_s, io.language,
                             {{u"count"_s, QString::number(app.supportedTypeIdentifiers.size())}})
               << u'\n';
    return 0;
}

int AppsCommand::listHandlers(const QString& type, bool json, CliStreams& io) const
{
    LoadedCatalog catalog;
    try {
        catalog = CatalogLoader::loadFirst(CustomAssociationStore().load()).catalog;
    } catch (const std::exception& error) {
        io.err << L10n::text(u"读取失败：{reason}"_s, io.language, {{u"reason"_s, L10n::error(error, io.language)}})
               << u'\n';
        return 1;
    }
    QList<InstalledApp> apps;
    QStringList recommended;
    for (const FileAssociation& association : catalog.associations) {
        if (association.typeIdentifier != type)
            continue;
        apps = association.capableApps;
        recommended = association.suggestedAppIDs;
    }
    const auto current = LaunchServicesAssociationReader().defaultHandler(type, AssociationRole::all);
    // The default may be an application the catalog does not list for the type (one that opens a parent type).
    if (current && std::none_of(apps.begin(), apps.end(),
                                [&](const InstalledApp& app) { return app.bundleIdentifier == *current; })) {
        for (const InstalledApp& app : catalog.apps)
            if (app.bundleIdentifier == *current)
                apps.append(app);
        sortByName(apps);
    }

    QJsonArray array;
    for (const InstalledApp& app : apps) {
        const bool isDefault = current == app.bundleIdentifier;
        const bool isRecommended = recommended.contains(app.bundleIdentifier);
        if (json) {
            array.append(QJsonObject{{u"name"_s, app.name},
                                     {u"bundleIdentifier"_s, app.bundleIdentifier},
                                     {u"isDefault"_s, isDefault},
                                     {u"isRecommended"_s, isRecommended}});
            continue;
        }
        QStringList marks;
        if (isDefault)
            marks.append(L10n::text(u"默认"_s, io.language));
        if (isRecommended)
            marks.append(L10n::text(u"推荐"_s, io.language));
        io.out << (isDefault ? u"* "_s : u"  "_s) << TerminalText::escaped(app.name) << u'\t'
               << TerminalText::escaped(app.bundleIdentifier)
               << (marks.isEmpty() ? QString() : u"\t["_s + marks.join(u", "_s) + u']') << u'\n';
    }
    if (json)
        printJson(io.out, QJsonObject{{u"typeIdentifier"_s, type}, {u"apps"_s, array}});
    if (apps.isEmpty() && !json)
        io.err << L10n::text(u"没有已安装的应用能打开 {type}。"_s, io.language, {{u"type"_s, type}}) << u'\n';
    return apps.isEmpty() ? 1 : 0;
}

} // namespace tessik::cli
