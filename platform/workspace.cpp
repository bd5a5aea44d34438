#include "workspace.h"

#include "backend.h"

#include <QMutex>

namespace tessik::platform {
namespace {

QMutex confirmationMutex;
ConfirmationHandler confirmationHandler;
QMutex openerMutex;
std::function<bool(const QUrl&)> urlOpener;

ConfirmationHandler installedConfirmationHandler()
{
    QMutexLocker locker(&confirmationMutex);
    return confirmationHandler;
}

} // namespace

std::optional<QUrl> Workspace::urlForApplicationWithBundleIdentifier(const QString& bundleIdentifier)
{
    return Backend::current().applicationURL(bundleIdentifier);
}

bool Workspace::defaultApplicationChangesNeedConfirmation()
{
    return Backend::current().defaultChangesNeedConfirmation();
}

std::optional<NSError> Workspace::setDefaultApplication(const QUrl& applicationURL, const UTType& contentType)
{
    return Backend::current().setDefaultApplication(applicationURL, contentType, installedConfirmationHandler());
}

bool Workspace::urlSchemeChangesNeedConfirmation(const QString& scheme)
{
    return Backend::current().urlSchemeChangesNeedConfirmation(scheme);
}

std::optional<NSError> Workspace::setDefaultApplicationToOpenURLsWithScheme(const QUrl& applicationURL,
                                                                            const QString& scheme)
{
    return Backend::current().setDefaultApplicationForURLScheme(applicationURL, scheme, installedConfirmationHandler());
}

void Workspace::setConfirmationHandler(ConfirmationHandler handler)
{
    QMutexLocker locker(&confirmationMutex);
    confirmationHandler = std::move(handler);
}

bool Workspace::pickApplicationsInNativePanel()
{
    return Backend::current().hasNativeOpenPanel();
}

std::optional<QString> Workspace::iconFileForApplication(const QUrl& applicationURL)
{
    return Backend::current().applicationIcon(applicationURL);
}

void Workspace::setURLOpener(std::function<bool(const QUrl&)> opener)
{
    QMutexLocker locker(&openerMutex);
    urlOpener = std::move(opener);
}

bool Workspace::openURL(const QUrl& url)
{
    Backend& backend = Backend::current();
    if (backend.usesInstalledOpener()) {
        QMutexLocker locker(&openerMutex);
        if (urlOpener)
            return urlOpener(url);
    }
    return backend.openURL(url);
}

} // namespace tessik::platform
