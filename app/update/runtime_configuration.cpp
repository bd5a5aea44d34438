#include "runtime_configuration.h"

#include "platform/bundle.h"
#include "platform/file_manager.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QProcessEnvironment>

using namespace Qt::StringLiterals;

namespace tessik {

const std::optional<ServerConfiguration>& RuntimeConfiguration::server()
{
    static const std::optional<ServerConfiguration> server = [] {
        const QStringList arguments = QCoreApplication::instance() ? QCoreApplication::arguments() : QStringList();
        QHash<QString, QString> environment;
        const QProcessEnvironment process = QProcessEnvironment::systemEnvironment();
        for (const QString& name : process.keys())
            environment.insert(name, process.value(name));
        const QVariant bundled =
            platform::Bundle::mainBundle().infoDictionary().value(QString::fromLatin1(infoDictionaryKey));
        return resolve(arguments, environment,
                       bundled.typeId() == QMetaType::QString ? std::optional<QString>(bundled.toString())
                                                              : std::nullopt);
    }();
    return server;
}

const std::optional<QString>& RuntimeConfiguration::dataScope()
{
    static const std::optional<QString> scoped = scope(server());
    return scoped;
}

QUrl RuntimeConfiguration::dataDirectory()
{
    return dataDirectory(dataScope());
}

QString RuntimeConfiguration::defaultsKey(const QString& name)
{
    return defaultsKey(name, dataScope());
}

std::optional<ServerConfiguration> RuntimeConfiguration::resolve(const QStringList& arguments,
                                                                 const QHash<QString, QString>& environment,
                                                                 const std::optional<QString>& bundledURL)
{
    try {
        return ServerConfiguration::make(arguments, environment, bundledURL, true);
    } catch (const ServerConfiguration::ConfigurationError&) {
        return std::nullopt;
    }
}

std::optional<QString> RuntimeConfiguration::scope(const std::optional<ServerConfiguration>& server)
{
    if (!server || !server->usesOverride)
        return std::nullopt;
    const QByteArray digest =
        QCryptographicHash::hash(server->serverURL.toString(QUrl::FullyEncoded).toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex());
}

QUrl RuntimeConfiguration::dataDirectory(const std::optional<QString>& scope)
{
    QString path = platform::FileManager::applicationSupportDirectory().toLocalFile() + u"/Tessik"_s;
    if (scope)
        path += u"/Debug/"_s + *scope;
    return QUrl::fromLocalFile(path);
}

QString RuntimeConfiguration::defaultsKey(const QString& name, const std::optional<QString>& scope)
{
    return scope ? name + u'.' + *scope : name;
}

} // namespace tessik
