#include "launch_services.h"

#include "backend.h"

namespace tessik::platform {

std::optional<QString> LSCopyDefaultRoleHandlerForContentType(const QString& contentType, LSRolesMask role)
{
    return Backend::current().defaultHandler(contentType, role);
}

OSStatus LSSetDefaultRoleHandlerForContentType(const QString& contentType, LSRolesMask role,
                                               const QString& handlerBundleID)
{
    return Backend::current().setDefaultHandler(contentType, role, handlerBundleID);
}

QList<StoredHandler> LSCopyStoredHandlers()
{
    return Backend::current().storedHandlers();
}

QStringList LSCopyAllHandlersForURLScheme(const QString& scheme)
{
    return Backend::current().urlSchemeHandlers(scheme);
}

OSStatus LSRegisterURL(const QUrl& url, bool)
{
    return Backend::current().registerApplication(url);
}

} // namespace tessik::platform
