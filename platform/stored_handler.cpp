#include "stored_handler.h"

#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace tessik::platform {

QList<StoredHandler> StoredHandler::fromLaunchServicesEntries(const QVariantList& handlers)
{
    static const QList<std::pair<QString, LSRolesMask>> roleKeys{{u"LSHandlerRoleAll"_s, kLSRolesAll},
                                                                 {u"LSHandlerRoleViewer"_s, kLSRolesViewer},
                                                                 {u"LSHandlerRoleEditor"_s, kLSRolesEditor},
                                                                 {u"LSHandlerRoleShell"_s, kLSRolesShell}};
    QList<StoredHandler> stored;
    for (const QVariant& value : handlers) {
        if (value.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap entry = value.toMap();
        const QVariant type = entry.value(u"LSHandlerContentType"_s);
        const QVariant scheme = entry.value(u"LSHandlerURLScheme"_s);
        const bool isType = type.typeId() == QMetaType::QString && !type.toString().isEmpty();
        if (!isType && (scheme.typeId() != QMetaType::QString || scheme.toString().isEmpty()))
            continue;
        const Kind kind = isType ? Kind::contentType : Kind::urlScheme;
        const QString name = isType ? type.toString() : scheme.toString();
        for (const auto& [key, role] : roleKeys) {
            const QVariant handler = entry.value(key);
            if (handler.typeId() != QMetaType::QString || handler.toString().isEmpty())
                continue;
            // "-" is how the system writes "no application" into a role it keeps for itself.
            if (handler.toString() == u"-"_s)
                continue;
            stored.append({kind, name, role, handler.toString()});
        }
    }
    return stored;
}

} // namespace tessik::platform
