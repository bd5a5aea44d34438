#include "mac_backend.h"

#include "../bundle.h"
#include "../emulated/bundle_cache.h"
#include "../emulated/handler_database.h"
#include "../emulated/machine_paths.h"
#include "../type_record.h"
#include "confirmation_wait.h"
#include "mac_error.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace tessik::platform {

MacBackend::MacBackend(std::shared_ptr<MacSystemCalls> calls, std::chrono::milliseconds confirmationTimeout)
    : m_calls(std::move(calls)), m_confirmationTimeout(confirmationTimeout)
{
}

QList<QUrl> MacBackend::applicationDirectories() const
{
    return {QUrl::fromLocalFile(u"/Applications"_s), QUrl::fromLocalFile(u"/System/Applications"_s),
            QUrl::fromLocalFile(QDir::homePath() + u"/Applications"_s)};
}

bool MacBackend::isApplication(const QUrl& url) const
{
    return isApplicationBundle(url);
}

std::shared_ptr<const BundleData> MacBackend::openBundle(const QUrl& url) const
{
    return openEmulatedBundle(url);
}

std::optional<QUrl> MacBackend::applicationURL(const QString& bundleIdentifier) const
{
    if (bundleIdentifier.isEmpty())
        return std::nullopt;
    const auto url = m_calls->urlForApplication(bundleIdentifier);
    // Only a bundle on disk can be scanned, opened and given to the system again.
    if (!url || !url->isLocalFile())
        return std::nullopt;
    return url;
}

std::optional<QString> MacBackend::applicationIcon(const QUrl& applicationURL) const
{
    if (!applicationURL.isLocalFile())
        return std::nullopt;
    if (auto file = bundleIconFile(applicationURL))
        return file;
    const QString bundle = applicationURL.toLocalFile();
    const MacIconCache cache(QDir::homePath() + u"/Library/Caches/"_s + programIdentifier() + u"/Icons"_s);
    return cache.icon(bundle,
                      [&](const QString& png) { return m_calls->writeIconPNG(bundle, MacIconCache::pixels, png); });
}

OSStatus MacBackend::registerApplication(const QUrl& url)
{
    if (!isApplication(url))
        return paramErr;
    return m_calls->registerURL(url);
}

QString MacBackend::wellKnownType(WellKnownType type) const
{
    return uniformTypeIdentifier(type);
}

std::shared_ptr<const TypeRecord> MacBackend::record(const MacTypeFacts& facts)
{
    if (facts.identifier.isEmpty())
        return nullptr;
    auto record = std::make_shared<TypeRecord>();
    record->identifier = facts.identifier;
    record->description = facts.localizedDescription;
    record->extensions = facts.filenameExtensions;
    record->mimeTypes = facts.mimeTypes;
    record->parents = facts.supertypes;
    // The system's set has no order; keep one, so that the same type always reads the same.
    record->parents.sort();
    record->conformance.insert(facts.identifier.toLower());
    for (const QString& supertype : facts.supertypes)
        record->conformance.insert(supertype.toLower());
    record->dynamic = facts.dynamic;
    return record;
}

std::shared_ptr<const TypeRecord> MacBackend::type(const QString& identifier) const
{
    if (identifier.isEmpty())
        return nullptr;
    const auto facts = m_calls->typeWithIdentifier(identifier);
    return facts ? record(*facts) : nullptr;
}

std::shared_ptr<const TypeRecord> MacBackend::typeForExtension(const QString& extension, const QString& supertype) const
{
    if (extension.isEmpty() || supertype.isEmpty())
        return nullptr;
    const auto facts = m_calls->typeWithFilenameExtension(extension, supertype);
    if (!facts)
        return nullptr;
    auto found = record(*facts);
    // Asked for a type of that kind, an answer of another kind is none.
    if (found && !found->conformance.contains(supertype.toLower()))
        return nullptr;
    return found;
}

std::shared_ptr<const TypeRecord> MacBackend::typeForFile(const QString& path) const
{
    // A file's type as Finder tells it by name: its extension, without regard to case.
    const QString extension = QFileInfo(path).suffix().toLower();
    return extension.isEmpty() ? nullptr : typeForExtension(extension, wellKnownType(WellKnownType::data));
}

QList<StoredHandler> MacBackend::storedHandlers() const
{
    return StoredHandler::fromLaunchServicesEntries(m_calls->storedLaunchServicesHandlers());
}

QStringList MacBackend::urlSchemeHandlers(const QString& scheme) const
{
    return scheme.isEmpty() ? QStringList() : m_calls->applicationsForURLScheme(scheme);
}

std::optional<QString> MacBackend::defaultHandler(const QString& contentType, LSRolesMask role) const
{
    if (contentType.isEmpty())
        return std::nullopt;
    auto handler = m_calls->copyDefaultRoleHandler(contentType, role);
    // No handler is an absent value, never an empty identifier.
    if (!handler || handler->isEmpty())
        return std::nullopt;
    return handler;
}

HandlerExplanation MacBackend::explainDefaultHandler(const QString& contentType, LSRolesMask role) const
{
    HandlerExplanation explanation;
    explanation.handler = defaultHandler(contentType, role);
    if (!explanation.handler)
        return explanation;
    explanation.source = HandlerExplanation::Source::system;
    explanation.decidingType = contentType;
    // The system reads the same LSHandlers list the emulation keeps; what it stored is only claimed as the reason
    // when it is what the system answers.
    const QString database = MachinePaths::handlerDatabase();
    for (const auto& [roleKey, handler] : HandlerDatabase::shared().storedChoices(contentType, role)) {
        if (handler.compare(*explanation.handler, Qt::CaseInsensitive) == 0) {
            explanation.source = roleKey == HandlerDatabase::roleKeys(kLSRolesAll).constFirst()
                                     ? HandlerExplanation::Source::storedAllRoles
                                     : HandlerExplanation::Source::storedRole;
            explanation.file = database;
            explanation.group = roleKey;
            return explanation;
        }
        if (applicationURL(handler))
            break;
        explanation.passedOver.append(
            {handler, HandlerExplanation::PassOverReason::notInstalled, database, roleKey, {}, {}});
    }
    return explanation;
}

OSStatus MacBackend::setDefaultHandler(const QString& contentType, LSRolesMask role, const QString& handler)
{
    if (contentType.isEmpty() || handler.isEmpty())
        return paramErr;
    return m_calls->setDefaultRoleHandler(contentType, role, handler);
}

std::optional<NSError> MacBackend::setDefaultApplication(const QUrl& applicationURL, const UTType& contentType,
                                                         const ConfirmationHandler&)
{
    return awaitChange([&](MacSystemCalls::Completion completion) {
        return m_calls->setDefaultApplication(applicationURL, contentType.identifier(), std::move(completion));
    });
}

std::optional<QString> MacBackend::defaultURLSchemeHandler(const QString& scheme) const
{
    if (scheme.isEmpty())
        return std::nullopt;
    auto handler = m_calls->copyDefaultHandlerForURLScheme(scheme);
    if (!handler || handler->isEmpty())
        return std::nullopt;
    return handler;
}

HandlerExplanation MacBackend::explainURLSchemeHandler(const QString& scheme) const
{
    HandlerExplanation explanation;
    explanation.handler = defaultURLSchemeHandler(scheme);
    if (explanation.handler) {
        explanation.source = HandlerExplanation::Source::system;
        explanation.decidingType = scheme.toLower() + u':';
    }
    return explanation;
}

OSStatus MacBackend::setURLSchemeHandler(const QString& scheme, const QString& handler)
{
    if (scheme.isEmpty() || handler.isEmpty())
        return paramErr;
    return m_calls->setDefaultHandlerForURLScheme(scheme, handler);
}

std::optional<NSError> MacBackend::setDefaultApplicationForURLScheme(const QUrl& applicationURL, const QString& scheme,
                                                                     const ConfirmationHandler&)
{
    return awaitChange([&](MacSystemCalls::Completion completion) {
        return m_calls->setDefaultApplicationForURLScheme(applicationURL, scheme, std::move(completion));
    });
}

std::optional<NSError> MacBackend::awaitChange(const std::function<bool(MacSystemCalls::Completion)>& start) const
{
    const ConfirmationWait wait;
    if (!start(wait.completion()))
        return macError({});
    const std::optional<MacErrorChain> answer = wait.wait(m_confirmationTimeout);
    if (!answer)
        return NSError(TessikWorkspaceErrorDomain, TessikConfirmationUnansweredError,
                       u"The system did not answer the change of the default application."_s);
    if (answer->isEmpty())
        return std::nullopt;
    return macError(*answer);
}

bool MacBackend::openURL(const QUrl& url)
{
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return m_calls->openURL(url);
}

QString MacBackend::bundleCacheFile() const
{
    return QDir::homePath() + u"/Library/Caches/Tessik/Bundles.cache"_s;
}

QUrl MacBackend::homeDirectory() const
{
    return QUrl::fromLocalFile(QDir::homePath());
}

QUrl MacBackend::applicationSupportDirectory() const
{
    return QUrl::fromLocalFile(QDir::homePath() + u"/Library/Application Support"_s);
}

std::unique_ptr<QSettings> MacBackend::openDefaults() const
{
    const auto [organization, application] = settingsNames(programIdentifier());
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization, application);
}

QStringList MacBackend::preferredLanguages() const
{
    const QStringList languages = m_calls->preferredLanguages();
    return languages.isEmpty() ? QLocale::system().uiLanguages() : languages;
}

std::pair<QString, QString> MacBackend::settingsNames(const QString& bundleIdentifier)
{
    const qsizetype dot = bundleIdentifier.lastIndexOf(u'.');
    if (dot <= 0 || dot == bundleIdentifier.size() - 1)
        return {bundleIdentifier, bundleIdentifier};
    QStringList domain = bundleIdentifier.left(dot).split(u'.');
    std::reverse(domain.begin(), domain.end());
    return {domain.join(u'.'), bundleIdentifier.mid(dot + 1)};
}

QString MacBackend::programIdentifier() const
{
    const auto identifier = Bundle::mainBundle().bundleIdentifier();
    return identifier && !identifier->isEmpty() ? *identifier : u"com.tessik.Tessik"_s;
}

} // namespace tessik::platform
