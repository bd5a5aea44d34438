#include "backend.h"

#include "bundle.h"
#include "emulated/emulated_backend.h"
#include "file_stamp.h"
#include "system_root.h"
#include "xdg/xdg_backend.h"

#ifdef TESSIK_MAC_BACKEND
#include "macos/cocoa_system_calls.h"
#include "macos/mac_backend.h"
#endif

#include <QFileInfo>
#include <QMutex>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

QMutex checkMutex;
std::function<void()> desktopAccessCheck;

} // namespace

Backend& Backend::current()
{
    static EmulatedBackend emulated;
    static XdgBackend desktop;
    if (!systemRoot().isEmpty())
        return emulated;
#ifdef TESSIK_MAC_BACKEND
    if (nativeSystem() == SystemKind::mac) {
        static MacBackend mac(std::make_shared<CocoaSystemCalls>());
        return mac;
    }
#endif
    {
        QMutexLocker locker(&checkMutex);
        if (desktopAccessCheck)
            desktopAccessCheck();
    }
    return desktop;
}

QString Backend::uniformTypeIdentifier(WellKnownType type)
{
    switch (type) {
    case WellKnownType::data:
        return u"public.data"_s;
    case WellKnownType::item:
        return u"public.item"_s;
    case WellKnownType::cameraRawImage:
        return u"public.camera-raw-image"_s;
    }
    return {};
}

std::unique_ptr<QSettings> Backend::settingsFile(const QString& path, QSettings::Format format)
{
    if (FileStamp::isMissingOrRegular(path) && FileStamp::isMissingOrRegular(path + QStringLiteral(".lock")))
        return std::make_unique<QSettings>(path, format);
    return std::make_unique<QSettings>(QString(), format);
}

void Backend::setDesktopAccessCheck(std::function<void()> check)
{
    QMutexLocker locker(&checkMutex);
    desktopAccessCheck = std::move(check);
}

std::optional<NSError> Backend::setDefaultApplication(const QUrl& applicationURL, const UTType& contentType,
                                                      const ConfirmationHandler& ask)
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

    if (!ask || !ask(question))
        return NSError(NSCocoaErrorDomain, NSUserCancelledError, u"The operation was cancelled."_s);

    const OSStatus status = LSSetDefaultRoleHandlerForContentType(contentType.identifier(), kLSRolesAll, *identifier);
    if (status != noErr)
        return NSError(NSOSStatusErrorDomain, status,
                       u"The default application could not be changed (error %1)."_s.arg(status));
    return std::nullopt;
}

} // namespace tessik::platform
