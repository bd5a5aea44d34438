#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tessik {

// The web browser is one choice: the application that opens both kinds of web link.
struct WebBrowser
{
    // The identifiers of the web's schemes, "http:" then "https:".
    static const QStringList& schemeIdentifiers();
    static bool isWebScheme(const QString& typeIdentifier);
    // The browser when both schemes open with the same application; nothing when they differ or either has none.
    static std::optional<QString> common(const std::optional<QString>& http, const std::optional<QString>& https);
};

} // namespace tessik
