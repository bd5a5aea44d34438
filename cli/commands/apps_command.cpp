#include "apps_command.h"

#include "core/discovery/app_scanner.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace tessik::cli {

AppsCommand::AppsCommand() : CliCommand(u"apps"_s, u"List the installed applications, sorted by name."_s) {}

void AppsCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption({u"json"_s, u"Print a JSON array of name, bundleIdentifier, url, supportedTypeIdentifiers."_s});
}

int AppsCommand::execute(const QCommandLineParser& parser, CliStreams& io) const
{
    requirePositional(parser, 0, io.language);
    const QList<InstalledApp> apps = AppScanner().scan();
    if (parser.isSet(u"json"_s)) {
        QJsonArray array;
        for (const InstalledApp& app : apps)
            array.append(app.toJson());
        io.out << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return 0;
    }
    for (const InstalledApp& app : apps)
        io.out << app.name << u'\t' << app.bundleIdentifier << u'\t' << app.url.toLocalFile() << u'\t'
               << L10n::text(u"类型数：{count}"_s, io.language,
                             {{u"count"_s, QString::number(app.supportedTypeIdentifiers.size())}})
               << u'\n';
    return 0;
}

} // namespace tessik::cli
