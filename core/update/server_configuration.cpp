#include "server_configuration.h"

using namespace Qt::StringLiterals;

namespace tessik {
namespace {

// The value given with the option, the last one when it is given several times; nothing when it is absent.
std::optional<QString> commandLineValue(const QStringList& arguments)
{
    const QString option = QString::fromLatin1(ServerConfiguration::argumentName);
    std::optional<QString> value;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const qsizetype equals = arguments[i].indexOf(u'=');
        QStringList parts = equals < 0 ? QStringList{arguments[i]}
                                       : QStringList{arguments[i].left(equals), arguments[i].mid(equals + 1)};
        parts.removeAll(QString());
        if (parts.isEmpty() || parts.first() != option)
            continue;
        if (parts.size() == 2) {
            value = parts[1];
        } else if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(u"--"_s)) {
            value = arguments[++i];
        } else {
            throw ServerConfiguration::ConfigurationError();
        }
    }
    return value;
}

} // namespace

ServerConfiguration ServerConfiguration::make(const QStringList& arguments, const QHash<QString, QString>& environment,
                                              const std::optional<QString>& bundledURL, bool allowOverrides)
{
    std::optional<QString> override;
    if (allowOverrides) {
        override = commandLineValue(arguments);
        const auto variable = environment.constFind(QString::fromLatin1(environmentName));
        if (!override && variable != environment.cend())
            override = *variable;
    }
    const std::optional<QString> candidate = override ? override : bundledURL;
    if (!candidate)
        throw ConfigurationError();

    const QUrl url(*candidate, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userName().isEmpty() || !url.password().isEmpty() ||
        url.hasQuery() || url.hasFragment())
        throw ConfigurationError();
    // The scheme as written: QUrl would lower-case it.
    const QString scheme = candidate->section(u':', 0, 0);
    const bool loopback = url.host() == u"localhost"_s || url.host() == u"127.0.0.1"_s || url.host() == u"::1"_s;
    if (scheme != u"https"_s && !(allowOverrides && scheme == u"http"_s && loopback))
        throw ConfigurationError();
    return {url, override.has_value()};
}

} // namespace tessik
