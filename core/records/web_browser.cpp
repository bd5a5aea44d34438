#include "web_browser.h"

using namespace Qt::StringLiterals;

namespace tessik {

const QStringList& WebBrowser::schemeIdentifiers()
{
    static const QStringList identifiers{u"http:"_s, u"https:"_s};
    return identifiers;
}

bool WebBrowser::isWebScheme(const QString& typeIdentifier)
{
    return schemeIdentifiers().contains(typeIdentifier);
}

std::optional<QString> WebBrowser::common(const std::optional<QString>& http, const std::optional<QString>& https)
{
    return http && http == https ? http : std::nullopt;
}

} // namespace tessik
