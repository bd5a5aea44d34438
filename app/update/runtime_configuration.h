#pragma once

#include "core/update/server_configuration.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace tessik {

// The update server of this run and where its data lives, decided once per process. Data of an overriding
// server is kept apart: in "Tessik/Debug/<scope>" and under user-defaults keys suffixed with the scope.
class RuntimeConfiguration
{
public:
    // The information-dictionary entry that names the shipped service.
    static constexpr auto infoDictionaryKey = "TessikServerURL";

    // From the process's arguments, environment and information dictionary; absent when unusable.
    static const std::optional<ServerConfiguration>& server();
    static const std::optional<QString>& dataScope();
    static QUrl dataDirectory();
    static QString defaultsKey(const QString& name);

    // The same rules for given inputs.
    static std::optional<ServerConfiguration> resolve(const QStringList& arguments,
                                                      const QHash<QString, QString>& environment,
                                                      const std::optional<QString>& bundledURL);
    // SHA-256 of an overriding server's URL in lower-case hexadecimal; absent without an override.
    static std::optional<QString> scope(const std::optional<ServerConfiguration>& server);
    static QUrl dataDirectory(const std::optional<QString>& scope);
    static QString defaultsKey(const QString& name, const std::optional<QString>& scope);
};

} // namespace tessik
