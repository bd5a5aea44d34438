#include "emulated_backend.h"

#include "../bundle.h"
#include "../file_manager.h"
#include "../file_stamp.h"
#include "../system_root.h"
#include "application_registry.h"
#include "bundle_cache.h"
#include "emulation_settings.h"
#include "handler_database.h"
#include "machine_paths.h"
#include "property_list.h"
#include "type_database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMutex>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

constexpr auto defaultsDomain = "com.tessik.Tessik"_L1;

bool readPlist(QIODevice& device, QSettings::SettingsMap& map)
{
    const std::optional<QVariant> list = PropertyList::read(device.readAll());
    if (!list || list->typeId() != QMetaType::QVariantMap)
        return false;
    map = list->toMap();
    return true;
}

bool writePlist(QIODevice& device, const QSettings::SettingsMap& map)
{
    return device.write(PropertyList::write(map, PropertyList::Format::Binary)) >= 0;
}

} // namespace

QList<QUrl> EmulatedBackend::applicationDirectories() const
{
    return {systemURL(u"/Applications"_s), systemURL(u"/System/Applications"_s),
            QUrl::fromLocalFile(MachinePaths::home() + u"/Applications"_s)};
}

bool EmulatedBackend::isApplication(const QUrl& url) const
{
    return isApplicationBundle(url);
}

std::shared_ptr<const BundleData> EmulatedBackend::openBundle(const QUrl& url) const
{
    return openEmulatedBundle(url);
}

std::optional<QUrl> EmulatedBackend::applicationURL(const QString& bundleIdentifier) const
{
    const auto registry = ApplicationRegistry::shared().current();
    const QString path = registry->locations.value(bundleIdentifier.toLower());
    if (path.isEmpty())
        return std::nullopt;
    return QUrl::fromLocalFile(path);
}

std::optional<QString> EmulatedBackend::applicationIcon(const QUrl& applicationURL) const
{
    return bundleIconFile(applicationURL);
}

OSStatus EmulatedBackend::registerApplication(const QUrl& url)
{
    // Launch Services serves applications only.
    if (!isApplication(url))
        return paramErr;
    return ApplicationRegistry::registerBundle(url.toLocalFile()) ? noErr : ioErr;
}

QString EmulatedBackend::wellKnownType(WellKnownType type) const
{
    return uniformTypeIdentifier(type);
}

std::shared_ptr<const TypeRecord> EmulatedBackend::type(const QString& identifier) const
{
    return TypeDatabase::current()->type(identifier);
}

std::shared_ptr<const TypeRecord> EmulatedBackend::typeForExtension(const QString& extension,
                                                                    const QString& supertype) const
{
    return TypeDatabase::current()->typeForExtension(extension, supertype);
}

std::optional<QString> EmulatedBackend::defaultHandler(const QString& contentType, LSRolesMask role) const
{
    return explainDefaultHandler(contentType, role).handler;
}

HandlerExplanation EmulatedBackend::explainDefaultHandler(const QString& contentType, LSRolesMask role) const
{
    HandlerExplanation explanation;
    if (contentType.isEmpty() || HandlerDatabase::roleKeys(role).isEmpty())
        return explanation;
    const auto registry = ApplicationRegistry::shared().current();
    const QString database = MachinePaths::handlerDatabase();
    // A stored choice counts only while that application is installed, as on the real system.
    for (const auto& [roleKey, handler] : HandlerDatabase::shared().storedChoices(contentType, role)) {
        if (!registry->isInstalled(handler)) {
            explanation.passedOver.append(
                {handler, HandlerExplanation::PassOverReason::notInstalled, database, roleKey, {}, {}});
            continue;
        }
        explanation.source = roleKey == HandlerDatabase::roleKeys(kLSRolesAll).constFirst()
                                 ? HandlerExplanation::Source::storedAllRoles
                                 : HandlerExplanation::Source::storedRole;
        explanation.handler = handler;
        explanation.decidingType = contentType;
        explanation.file = database;
        explanation.group = roleKey;
        return explanation;
    }
    if (const auto claimant = registry->claimant(contentType, role)) {
        explanation.source = HandlerExplanation::Source::claimant;
        explanation.handler = claimant->claim.bundleIdentifier;
        explanation.decidingType = claimant->type;
        explanation.rank = claimant->claim.rankName();
        explanation.claimedRole = claimant->claim.roleName();
    }
    return explanation;
}

OSStatus EmulatedBackend::setDefaultHandler(const QString& contentType, LSRolesMask role, const QString& handler)
{
    const EmulationSettings emulation = EmulationSettings::current();
    // Accepted without complaint either way, as a real Mac sometimes keeps the old handler or picks another.
    if (emulation.ignores(contentType) && !handler.isEmpty() && !HandlerDatabase::roleKeys(role).isEmpty())
        return noErr;
    return HandlerDatabase::shared().store(contentType, role, emulation.overrideFor(contentType).value_or(handler));
}

std::shared_ptr<const TypeRecord> EmulatedBackend::typeForFile(const QString& path) const
{
    // A Mac tells a file's type by its extension.
    const QString extension = QFileInfo(path).suffix().toLower();
    return extension.isEmpty() ? nullptr : typeForExtension(extension, wellKnownType(WellKnownType::data));
}

QList<StoredHandler> EmulatedBackend::storedHandlers() const
{
    return HandlerDatabase::shared().storedChoices();
}

QStringList EmulatedBackend::urlSchemeHandlers(const QString& scheme) const
{
    const auto registry = ApplicationRegistry::shared().current();
    QStringList handlers;
    for (const QString& id : HandlerDatabase::shared().storedURLSchemeHandlers(scheme))
        if (registry->isInstalled(id) && !handlers.contains(id))
            handlers.append(id);
    for (const QString& id : registry->schemeClaims.value(scheme.toLower()))
        if (!handlers.contains(id))
            handlers.append(id);
    return handlers;
}

std::optional<QString> EmulatedBackend::defaultURLSchemeHandler(const QString& scheme) const
{
    return explainURLSchemeHandler(scheme).handler;
}

HandlerExplanation EmulatedBackend::explainURLSchemeHandler(const QString& scheme) const
{
    HandlerExplanation explanation;
    if (scheme.isEmpty())
        return explanation;
    const auto registry = ApplicationRegistry::shared().current();
    const QString database = MachinePaths::handlerDatabase();
    const QString roleKey = HandlerDatabase::roleKeys(kLSRolesAll).constFirst();
    explanation.decidingType = scheme.toLower() + u':';
    // As for a type: the stored choice while its application is installed, else the first that declares it.
    for (const QString& handler : HandlerDatabase::shared().storedURLSchemeHandlers(scheme)) {
        if (!registry->isInstalled(handler)) {
            explanation.passedOver.append(
                {handler, HandlerExplanation::PassOverReason::notInstalled, database, roleKey, {}, {}});
            continue;
        }
        explanation.source = HandlerExplanation::Source::storedAllRoles;
        explanation.handler = handler;
        explanation.file = database;
        explanation.group = roleKey;
        return explanation;
    }
    if (const QStringList claimants = registry->schemeClaims.value(scheme.toLower()); !claimants.isEmpty()) {
        explanation.source = HandlerExplanation::Source::claimant;
        explanation.handler = claimants.first();
    }
    return explanation;
}

OSStatus EmulatedBackend::setURLSchemeHandler(const QString& scheme, const QString& handler)
{
    if (scheme.isEmpty() || handler.isEmpty())
        return paramErr;
    // Emulation.plist names a scheme as "scheme:", so it never collides with a type.
    const QString listed = scheme.toLower() + u':';
    const EmulationSettings emulation = EmulationSettings::current();
    if (emulation.ignores(listed))
        return noErr;
    return HandlerDatabase::shared().storeURLScheme(scheme, emulation.overrideFor(listed).value_or(handler));
}

// Nothing is opened on the host for an emulated machine: it records the URL for whoever checks what was opened.
bool EmulatedBackend::openURL(const QUrl& url)
{
    static QMutex logMutex;
    if (!url.isValid() || url.scheme().isEmpty() || urlSchemeHandlers(url.scheme()).isEmpty())
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

QString EmulatedBackend::bundleCacheFile() const
{
    return MachinePaths::home() + u"/Library/Caches/Tessik/Bundles.cache"_s;
}

QUrl EmulatedBackend::homeDirectory() const
{
    return QUrl::fromLocalFile(MachinePaths::home());
}

QUrl EmulatedBackend::applicationSupportDirectory() const
{
    return QUrl::fromLocalFile(MachinePaths::home() + u"/Library/Application Support"_s);
}

// The emulated machine keeps defaults the way macOS does: one property list per domain.
std::unique_ptr<QSettings> EmulatedBackend::openDefaults() const
{
    static const QSettings::Format plistFormat = QSettings::registerFormat(u"plist"_s, readPlist, writePlist);
    return settingsFile(MachinePaths::preferences() + u'/' + defaultsDomain + u".plist"_s, plistFormat);
}

QStringList EmulatedBackend::preferredLanguages() const
{
    // Asked at every bundle opening, so keep the answer until the global preferences change.
    static QMutex mutex;
    static FileStamp cachedStamp{{}, -2, -2};
    static QStringList cachedLanguages;
    const QString path = MachinePaths::globalPreferences();
    const FileStamp stamp = FileStamp::of(path);
    QMutexLocker locker(&mutex);
    if (stamp != cachedStamp) {
        QStringList languages;
        if (const std::optional<QVariant> list = PropertyList::readFile(path))
            languages = list->toMap().value(u"AppleLanguages"_s).toStringList();
        cachedLanguages = languages.isEmpty() ? QLocale::system().uiLanguages() : languages;
        cachedStamp = stamp;
    }
    return cachedLanguages;
}

} // namespace tessik::platform
