#include "application_registry.h"

#include "../bundle.h"
#include "../file_manager.h"
#include "../file_stamp.h"
#include "../ns_error.h"
#include "../system_root.h"
#include "bundle_cache.h"
#include "launch_services_lock.h"
#include "machine_paths.h"
#include "property_list.h"
#include "type_database.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <future>
#include <utility>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

constexpr qint64 recheckIntervalMs = 1000;
// The registry is built from the bundles a scan has just read, or checked against the disk: they are not looked at
// again. Shorter than the interval above, so that a registry built from a bundle changed in the meantime is built
// again from the disk at its next check.
constexpr qint64 trustedBundleAgeMs = 500;

std::optional<int> rankValue(const QVariant& rank)
{
    const QString text = rank.toString();
    if (text == u"None"_s)
        return std::nullopt;
    if (text == u"Owner"_s)
        return 3;
    if (text == u"Alternate"_s)
        return 1;
    return 2;
}

std::optional<LSRolesMask> rolesServed(const QVariant& role)
{
    const QString text = role.toString();
    if (text == u"None"_s)
        return std::nullopt;
    if (text == u"Editor"_s)
        return kLSRolesViewer | kLSRolesEditor;
    if (text == u"Shell"_s)
        return kLSRolesShell;
    return kLSRolesViewer;
}

QStringList strings(const QVariant& value)
{
    QStringList result;
    if (value.typeId() != QMetaType::QVariantList)
        return result;
    for (const QVariant& item : value.toList())
        if (item.typeId() == QMetaType::QString)
            result.append(item.toString());
    return result;
}

const QString registeredBundlesKey = u"RegisteredBundles"_s;

// The application bundle a path stands for, links resolved; empty when it is not one.
QString applicationTarget(const QString& path)
{
    const QFileInfo target(QFileInfo(path).canonicalFilePath());
    return target.isDir() && target.suffix() == u"app"_s ? target.filePath() : QString();
}

// The paths registered so far, in registration order; an unreadable file registers nothing.
QStringList registeredPaths()
{
    const std::optional<QVariant> list = PropertyList::readFile(MachinePaths::registrations());
    return list ? strings(list->toMap().value(registeredBundlesKey)) : QStringList();
}

} // namespace

QString ApplicationRegistry::Claim::rankName() const
{
    return rank >= 3 ? u"Owner"_s : rank == 1 ? u"Alternate"_s : u"Default"_s;
}

QString ApplicationRegistry::Claim::roleName() const
{
    if (roles & kLSRolesEditor)
        return u"Editor"_s;
    return roles & kLSRolesShell ? u"Shell"_s : u"Viewer"_s;
}

ApplicationRegistry& ApplicationRegistry::shared()
{
    static ApplicationRegistry registry;
    return registry;
}

std::shared_ptr<const ApplicationRegistry::Contents> ApplicationRegistry::current()
{
    const QString root = systemRoot();
    QMutexLocker locker(&m_mutex);
    const bool checkDue = !m_sinceCheck.isValid() || m_sinceCheck.hasExpired(recheckIntervalMs);
    if (m_contents && m_contents->root == root && (!checkDue || m_contents->isCurrent())) {
        if (checkDue)
            m_sinceCheck.start();
        return m_contents;
    }
    m_contents = Contents::build(root, std::exchange(m_checkEveryBundle, false) ? 0 : trustedBundleAgeMs);
    m_sinceCheck.start();
    return m_contents;
}

void ApplicationRegistry::invalidate()
{
    QMutexLocker locker(&m_mutex);
    m_contents.reset();
    m_checkEveryBundle = true;
}

bool ApplicationRegistry::Contents::isInstalled(const QString& bundleIdentifier) const
{
    return locations.contains(bundleIdentifier.toLower());
}

std::optional<ApplicationRegistry::Claimant> ApplicationRegistry::Contents::claimant(const QString& contentType,
                                                                                     LSRolesMask role) const
{
    QStringList level{contentType.toLower()};
    QSet<QString> seen(level.begin(), level.end());
    while (!level.isEmpty()) {
        const Claim* best = nullptr;
        QString bestType;
        for (const QString& type : level) {
            const auto found = claims.constFind(type);
            if (found == claims.cend())
                continue;
            for (const Claim& claim : *found) {
                if ((role == kLSRolesAll || (claim.roles & role)) && (!best || claim.rank > best->rank)) {
                    best = &claim;
                    bestType = type;
                }
            }
        }
        if (best) {
            const auto record = types->type(bestType);
            return Claimant{*best, record ? record->identifier : bestType};
        }
        QStringList parents;
        for (const QString& type : level) {
            const auto record = types->type(type);
            for (const QString& parent : record ? record->parents : QStringList()) {
                if (!seen.contains(parent.toLower())) {
                    seen.insert(parent.toLower());
                    parents.append(parent.toLower());
                }
            }
        }
        level = parents;
    }
    return std::nullopt;
}

bool ApplicationRegistry::Contents::isCurrent() const
{
    return std::all_of(stamps.begin(), stamps.end(), [](const FileStamp& s) { return s.isCurrent(); });
}

std::shared_ptr<const ApplicationRegistry::Contents> ApplicationRegistry::Contents::build(const QString& root,
                                                                                          qint64 trustedForMs)
{
    auto contents = std::make_shared<Contents>();
    contents->root = root;
    // The system's own table is read once a process, beside the application folders.
    std::future<std::shared_ptr<const TypeDatabase>> systemTypes =
        std::async(std::launch::async, &TypeDatabase::system);

    // Where each bundle is known from: the folder's place in the search order (registrations come last), then
    // its path, which is the order of precedence among applications.
    std::vector<std::pair<int, QString>> candidates;
    const QStringList folders = MachinePaths::applicationFolders();
    for (int order = 0; order < folders.size(); ++order) {
        contents->stamps.push_back(FileStamp::of(folders[order]));
        auto enumerator = FileManager::enumerator(QUrl::fromLocalFile(folders[order]),
                                                  DirectoryEnumerator::SkipsHiddenFiles |
                                                      DirectoryEnumerator::SkipsPackageDescendants);
        while (const auto item = enumerator ? enumerator->nextObject() : std::nullopt) {
            const QFileInfo info(item->toLocalFile());
            if (info.isSymLink()) {
                if (const QString target = applicationTarget(info.filePath()); !target.isEmpty())
                    candidates.emplace_back(order, target);
            } else if (info.isDir() && info.suffix() == u"app"_s) {
                candidates.emplace_back(order, info.filePath());
            } else if (info.isDir() && !FileManager::isPackage(info.filePath())) {
                contents->stamps.push_back(FileStamp::of(info.filePath()));
            }
        }
    }
    contents->stamps.push_back(FileStamp::of(MachinePaths::registrations()));
    for (const QString& path : registeredPaths())
        if (const QString target = applicationTarget(path); !target.isEmpty())
            candidates.emplace_back(int(folders.size()), target);
    std::stable_sort(candidates.begin(), candidates.end());

    std::vector<std::pair<QString, Bundle>> bundles;
    QSet<QString> seen;
    for (const auto& [order, path] : candidates) {
        if (seen.contains(path))
            continue;
        seen.insert(path);
        // Only the information dictionary counts here, as it was when read.
        const QString info = path + u"/Contents/Info.plist"_s;
        std::vector<FileStamp> read;
        auto data = openEmulatedBundle(QUrl::fromLocalFile(path), trustedForMs, read);
        const auto stamp = std::find_if(read.begin(), read.end(), [&](const FileStamp& s) { return s.path == info; });
        contents->stamps.push_back(stamp != read.end() ? *stamp : FileStamp::of(info));
        if (!data)
            continue;
        const Bundle bundle(std::move(data));
        const auto identifier = bundle.bundleIdentifier();
        if (!identifier || identifier->isEmpty())
            continue;
        if (!contents->locations.contains(identifier->toLower()))
            contents->locations.insert(identifier->toLower(), path);
        bundles.emplace_back(*identifier, bundle);
    }

    std::vector<QVariantMap> infoDictionaries;
    for (const auto& [identifier, bundle] : bundles)
        infoDictionaries.push_back(bundle.infoDictionary());
    contents->types = systemTypes.get()->withDeclarations(infoDictionaries);

    for (const auto& [identifier, bundle] : bundles) {
        for (const QVariant& entryValue : bundle.infoDictionary().value(u"CFBundleDocumentTypes"_s).toList()) {
            const QVariantMap entry = entryValue.toMap();
            const auto rank = rankValue(entry.value(u"LSHandlerRank"_s));
            const auto roles = rolesServed(entry.value(u"CFBundleTypeRole"_s));
            if (!rank || !roles)
                continue;
            QStringList types = strings(entry.value(u"LSItemContentTypes"_s));
            if (types.isEmpty()) {
                for (const QString& extension : strings(entry.value(u"CFBundleTypeExtensions"_s)))
                    if (const auto type = contents->types->typeForExtension(extension, u"public.data"_s);
                        type && extension != u"*"_s)
                        types.append(type->identifier);
            }
            for (const QString& type : types)
                contents->claims[type.toLower()].push_back({identifier, *rank, *roles});
        }
        for (const QVariant& urlType : bundle.infoDictionary().value(u"CFBundleURLTypes"_s).toList()) {
            for (const QString& scheme : strings(urlType.toMap().value(u"CFBundleURLSchemes"_s))) {
                QStringList& claimants = contents->schemeClaims[scheme.toLower()];
                if (!scheme.isEmpty() && !claimants.contains(identifier, Qt::CaseInsensitive))
                    claimants.append(identifier);
            }
        }
    }
    return contents;
}

bool ApplicationRegistry::registerBundle(const QString& path)
{
    const QString target = applicationTarget(path);
    if (target.isEmpty())
        return false;
    // Known already: nothing to write, and no reason to read every bundle again.
    const auto known = shared().current();
    if (std::find(known->locations.cbegin(), known->locations.cend(), target) != known->locations.cend())
        return true;
    {
        const LaunchServicesLock lock;
        if (!lock.isLocked())
            return false;
        // As with the handler database, a list that cannot be read is never replaced by one without its entries.
        const QString registrations = MachinePaths::registrations();
        QStringList paths;
        if (QFileInfo::exists(registrations)) {
            const std::optional<QVariant> list = PropertyList::readFile(registrations);
            if (!list || list->typeId() != QMetaType::QVariantMap)
                return false;
            paths = strings(list->toMap().value(registeredBundlesKey));
        }
        if (!paths.contains(target)) {
            paths.append(target);
            try {
                FileManager::writeAtomically(
                    PropertyList::write(QVariantMap{{registeredBundlesKey, paths}}, PropertyList::Format::Xml),
                    QUrl::fromLocalFile(registrations));
            } catch (const NSError&) {
                return false;
            }
        }
    }
    shared().invalidate();
    return true;
}

} // namespace tessik::platform
