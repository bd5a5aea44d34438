#include "workspace.h"

#include "backend.h"
#include "bundle.h"
#include "launch_services.h"

#include <QFileInfo>
#include <QMutex>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

QMutex confirmationMutex;
ConfirmationHandler confirmationHandler;
QMutex openerMutex;
std::function<bool(const QUrl&)> urlOpener;

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
    const auto bundle = Bundle::bundleWithURL(applicationURL);
    const auto identifier = bundle ? bundle->bundleIdentifier() : std::nullopt;
    if (!identifier || identifier->isEmpty())
        return NSError(NSCocoaErrorDomain, NSFileNoSuchFileError,
                       u"The application “%1” could not be found."_s.arg(applicationURL.fileName()));

    DefaultApplicationQuestion question;
    question.applicationURL = applicationURL;
    const QVariant name = bundle->objectForInfoDictionaryKey(u"CFBundleDisplayName"_s);
    question.applicationName = name.typeId() == QMetaType::QString
                                   ? name.toString()
                                   : bundle->objectForInfoDictionaryKey(u"CFBundleName"_s).toString();
    if (question.applicationName.isEmpty())
        question.applicationName = QFileInfo(applicationURL.toLocalFile()).completeBaseName();
    question.bundleIdentifier = *identifier;
    question.contentType = contentType.identifier();
    question.contentTypeDescription = contentType.localizedDescription();

    ConfirmationHandler handler;
    {
        QMutexLocker locker(&confirmationMutex);
        handler = confirmationHandler;
    }
    if (!handler || !handler(question))
        return NSError(NSCocoaErrorDomain, NSUserCancelledError, u"The operation was cancelled."_s);

    const OSStatus status = LSSetDefaultRoleHandlerForContentType(contentType.identifier(), kLSRolesAll, *identifier);
    if (status != noErr)
        return NSError(NSOSStatusErrorDomain, status,
                       u"The default application could not be changed (error %1)."_s.arg(status));
    return std::nullopt;
}

void Workspace::setConfirmationHandler(ConfirmationHandler handler)
{
    QMutexLocker locker(&confirmationMutex);
    confirmationHandler = std::move(handler);
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
