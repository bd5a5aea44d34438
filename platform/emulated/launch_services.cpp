#include "../launch_services.h"

#include "application_registry.h"
#include "emulation_settings.h"
#include "handler_database.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tessik::platform {

std::optional<QString> LSCopyDefaultRoleHandlerForContentType(const QString& contentType, LSRolesMask role)
{
    if (contentType.isEmpty() || HandlerDatabase::roleKeys(role).isEmpty())
        return std::nullopt;
    const auto registry = ApplicationRegistry::shared().current();
    // A stored choice counts only while that application is installed, as on the real system.
    for (const QString& handler : HandlerDatabase::shared().storedHandlers(contentType, role))
        if (registry->isInstalled(handler))
            return handler;
    return registry->claimant(contentType, role);
}

OSStatus LSSetDefaultRoleHandlerForContentType(const QString& contentType, LSRolesMask role,
                                               const QString& handlerBundleID)
{
    const EmulationSettings emulation = EmulationSettings::current();
    // Accepted without complaint either way, as a real Mac sometimes keeps the old handler or picks another.
    if (emulation.ignores(contentType) && !handlerBundleID.isEmpty() && !HandlerDatabase::roleKeys(role).isEmpty())
        return noErr;
    return HandlerDatabase::shared().store(contentType, role,
                                           emulation.overrideFor(contentType).value_or(handlerBundleID));
}

OSStatus LSRegisterURL(const QUrl& url, bool)
{
    // Launch Services serves applications only.
    if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isDir() ||
        QFileInfo(url.toLocalFile()).suffix() != u"app"_s)
        return paramErr;
    return ApplicationRegistry::registerBundle(url.toLocalFile()) ? noErr : ioErr;
}

} // namespace tessik::platform
