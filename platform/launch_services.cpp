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

std::optional<QString> LSCopyDefaultHandlerForURLScheme(const QString& scheme)
{
    return Backend::current().defaultURLSchemeHandler(scheme);
}

OSStatus LSSetDefaultHandlerForURLScheme(const QString& scheme, const QString& handlerBundleID)
{
    return Backend::current().setURLSchemeHandler(scheme, handlerBundleID);
}

OSStatus LSRegisterURL(const QUrl& url, bool)
{
    return Backend::current().registerApplication(url);
}

} // namespace tessik::platform
