#include "installed_app.h"

#include "core/support/name_order.h"
#include "core/support/plain_order.h"
#include "core/support/strict_json.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace tessik {

QJsonObject InstalledApp::toJson() const
{
    return {{u"name"_s, name},
            {u"bundleIdentifier"_s, bundleIdentifier},
            {u"url"_s, url.toString(QUrl::FullyEncoded)},
            {u"supportedTypeIdentifiers"_s, QJsonArray::fromStringList(supportedTypeIdentifiers)}};
}

InstalledApp InstalledApp::fromJson(const QJsonObject& object)
{
    const StrictJson json(object, u"InstalledApp"_s);
    InstalledApp app;
    app.name = json.string(u"name"_s);
    app.bundleIdentifier = json.string(u"bundleIdentifier"_s);
    app.url = json.url(u"url"_s);
    app.supportedTypeIdentifiers = json.stringList(u"supportedTypeIdentifiers"_s);
    return app;
}

size_t qHash(const InstalledApp& app, size_t seed)
{
    return qHashMulti(seed, app.name, app.bundleIdentifier, app.url, app.supportedTypeIdentifiers);
}

void sortByName(QList<InstalledApp>& apps)
{
    // Equal names ("Editor" and "editor") get a fixed order, so that an unchanged list never reorders.
    NameOrder().sort(
        apps, [](const InstalledApp& app) -> const QString& { return app.name; },
        [](const InstalledApp& a, const InstalledApp& b) {
            if (const int order = comparePlain(a.bundleIdentifier, b.bundleIdentifier); order != 0)
                return order < 0;
            return comparePlain(a.url.toString(), b.url.toString()) < 0;
        });
}

} // namespace tessik
