#include "../workspace.h"

#include "../bundle.h"
#include "../file_manager.h"
#include "../launch_services.h"
#include "../system_root.h"
#include "application_registry.h"
#include "handler_database.h"
#include "machine_paths.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

QMutex confirmationMutex;
ConfirmationHandler confirmationHandler;
QMutex openerMutex;
std::function<bool(const QUrl&)> urlOpener;

bool declaresURLScheme(const Bundle& bundle, const QString& scheme)
{
    for (const QVariant& type : bundle.infoDictionary().value(u"CFBundleURLTypes"_s).toList())
        for (const QVariant& declared : type.toMap().value(u"CFBundleURLSchemes"_s).toList())
            if (declared.typeId() == QMetaType::QString &&
                declared.toString().compare(scheme, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

bool handlesURLScheme(const QString& scheme)
{
    const auto registry = ApplicationRegistry::shared().current();
    const QStringList stored = HandlerDatabase::shared().storedURLSchemeHandlers(scheme);
    if (std::any_of(stored.begin(), stored.end(), [&](const QString& id) { return registry->isInstalled(id); }))
        return true;
    for (const QString& path : registry->locations) {
        const auto bundle = Bundle::bundleWithURL(QUrl::fromLocalFile(path));
        if (bundle && declaresURLScheme(*bundle, scheme))
            return true;
    }
    return false;
}

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

void Workspace::setURLOpener(std::function<bool(const QUrl&)> opener)
{
    QMutexLocker locker(&openerMutex);
    urlOpener = std::move(opener);
}

// Nothing is opened on the host for an emulated machine: it records the URL for whoever checks what was opened.
bool Workspace::openURL(const QUrl& url)
{
    if (systemRoot().isEmpty()) {
        QMutexLocker locker(&openerMutex);
        if (urlOpener)
            return urlOpener(url);
    }
    static QMutex logMutex;
    if (!url.isValid() || url.scheme().isEmpty() || !handlesURLScheme(url.scheme()))
        return false;
    const QString log = MachinePaths::openedURLsLog();
    QMutexLocker locker(&logMutex);
    if (!FileManager::createDirectory(QUrl::fromLocalFile(QFileInfo(log).absolutePath())))
        return false;
    // Appending to a pipe would wait for a reader.
    if (const QFileInfo info(log); info.exists() && !info.isFile())
        return false;
    QFile file(log);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    // Fully encoded, the URL holds no line break, so each one stays on its own line.
    const QByteArray line = url.toEncoded(QUrl::FullyEncoded) + '\n';
    return file.write(line) == line.size();
}

} // namespace tessik::platform
