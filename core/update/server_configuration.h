#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <stdexcept>

namespace tessik {

// Which update service to talk to: the shipped one, or one named on the command line or in the environment.
struct ServerConfiguration
{
    // The configuration is unusable; never shown to the user.
    class ConfigurationError : public std::runtime_error
    {
    public:
        ConfigurationError() : std::runtime_error("invalid update server configuration") {}
    };

    static constexpr auto argumentName = "--server-url";
    static constexpr auto environmentName = "TESSIK_SERVER_URL";

    QUrl serverURL;
    bool usesOverride = false;

    // `arguments` starts with the program path. Throws ConfigurationError.
    static ServerConfiguration make(const QStringList& arguments, const QHash<QString, QString>& environment,
                                    const std::optional<QString>& bundledURL, bool allowOverrides);

    bool operator==(const ServerConfiguration&) const = default;
};

} // namespace tessik
