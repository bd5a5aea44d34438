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

namespace {

// Who the application at the URL is, for the question; nothing when it is no readable bundle.
std::optional<DefaultApplicationQuestion> questionFor(const QUrl& applicationURL)
{
    const auto bundle = Bundle::bundleWithURL(applicationURL);
    const auto identifier = bundle ? bundle->bundleIdentifier() : std::nullopt;
    if (!identifier || identifier->isEmpty())
        return std::nullopt;
    DefaultApplicationQuestion question;
    question.applicationURL = applicationURL;
    const QVariant name = bundle->objectForInfoDictionaryKey(u"CFBundleDisplayName"_s);
    question.applicationName = name.typeId() == QMetaType::QString
                                   ? name.toString()
                                   : bundle->objectForInfoDictionaryKey(u"CFBundleName"_s).toString();
    if (question.applicationName.isEmpty())
        question.applicationName = QFileInfo(applicationURL.toLocalFile()).completeBaseName();
    question.bundleIdentifier = *identifier;
    return question;
}

NSError applicationNotFound(const QUrl& applicationURL)
{
    return NSError(NSCocoaErrorDomain, NSFileNoSuchFileError,
                   u"The application “%1” could not be found."_s.arg(applicationURL.fileName()));
}

// Puts the question, then makes the change; the error that stopped it, if any.
std::optional<NSError> askThenSet(const DefaultApplicationQuestion& question, const ConfirmationHandler& ask,
                                  const std::function<OSStatus()>& set)
{
    if (!ask || !ask(question))
        return NSError(NSCocoaErrorDomain, NSUserCancelledError, u"The operation was cancelled."_s);
    const OSStatus status = set();
    if (status != noErr)
        return NSError(NSOSStatusErrorDomain, status,
                       u"The default application could not be changed (error %1)."_s.arg(status));
    return std::nullopt;
}

} // namespace

std::optional<NSError> Backend::setDefaultApplication(const QUrl& applicationURL, const UTType& contentType,
                                                      const ConfirmationHandler& ask)
{
    auto question = questionFor(applicationURL);
    if (!question)
        return applicationNotFound(applicationURL);
    question->contentType = contentType.identifier();
    question->contentTypeDescription = contentType.localizedDescription();
    return askThenSet(*question, ask, [&] {
        return LSSetDefaultRoleHandlerForContentType(contentType.identifier(), kLSRolesAll, question->bundleIdentifier);
    });
}

bool Backend::isWebScheme(const QString& scheme)
{
    return scheme.compare(u"http"_s, Qt::CaseInsensitive) == 0 || scheme.compare(u"https"_s, Qt::CaseInsensitive) == 0;
}

bool Backend::urlSchemeChangesNeedConfirmation(const QString&) const
{
    return false;
}

std::optional<NSError> Backend::setDefaultApplicationForURLScheme(const QUrl& applicationURL, const QString& scheme,
                                                                  const ConfirmationHandler& ask)
{
    auto question = questionFor(applicationURL);
    if (!question)
        return applicationNotFound(applicationURL);
    question->contentType = scheme.toLower() + u':';
    question->contentTypeDescription = scheme.toLower();
    return askThenSet(*question, ask,
                      [&] { return LSSetDefaultHandlerForURLScheme(scheme, question->bundleIdentifier); });
}

} // namespace tessik::platform
