#include "../workspace.h"

#include "../bundle.h"
#include "../launch_services.h"
#include "application_registry.h"

#include <QFileInfo>
#include <QMutex>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

QMutex confirmationMutex;
ConfirmationHandler confirmationHandler;

} // namespace

std::optional<QUrl> Workspace::urlForApplicationWithBundleIdentifier(const QString& bundleIdentifier)
{
    const auto registry = ApplicationRegistry::shared().current();
    const QString path = registry->locations.value(bundleIdentifier.toLower());
    if (path.isEmpty())
        return std::nullopt;
    return QUrl::fromLocalFile(path);
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
    const auto bundle = Bundle::bundleWithURL(applicationURL);
    if (!bundle)
        return std::nullopt;
    const QVariant iconFile = bundle->infoDictionary().value(u"CFBundleIconFile"_s);
    if (iconFile.typeId() != QMetaType::QString)
        return std::nullopt;
    const auto url = bundle->urlForResource(iconFile.toString(), u"icns"_s);
    return url ? std::optional<QString>(url->toLocalFile()) : std::nullopt;
}

} // namespace tessik::platform
