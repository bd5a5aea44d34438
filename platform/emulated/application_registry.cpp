#include "application_registry.h"

#include "../bundle.h"
#include "../file_manager.h"
#include "../system_root.h"
#include "../uniform_type.h"
#include "file_stamp.h"
#include "machine_paths.h"
#include "type_database.h"

#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

constexpr qint64 recheckIntervalMs = 1000;

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

} // namespace

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
    m_contents = Contents::build(root);
    m_sinceCheck.start();
    return m_contents;
}

void ApplicationRegistry::invalidate()
{
    QMutexLocker locker(&m_mutex);
    m_contents.reset();
}

bool ApplicationRegistry::Contents::isInstalled(const QString& bundleIdentifier) const
{
    return locations.contains(bundleIdentifier.toLower());
}

std::optional<QString> ApplicationRegistry::Contents::claimant(const QString& contentType, LSRolesMask role) const
{
    QStringList level{contentType.toLower()};
    QSet<QString> seen(level.begin(), level.end());
    while (!level.isEmpty()) {
        const Claim* best = nullptr;
        for (const QString& type : level) {
            const auto found = claims.constFind(type);
            if (found == claims.cend())
                continue;
            for (const Claim& claim : *found) {
                if ((role == kLSRolesAll || (claim.roles & role)) && (!best || claim.rank > best->rank))
                    best = &claim;
            }
        }
        if (best)
            return best->bundleIdentifier;
        QStringList parents;
        for (const QString& type : level) {
            const auto record = TypeDatabase::shared().type(type);
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

std::shared_ptr<const ApplicationRegistry::Contents> ApplicationRegistry::Contents::build(const QString& root)
{
    auto contents = std::make_shared<Contents>();
    contents->root = root;
    for (const QString& folder : MachinePaths::applicationFolders()) {
        contents->stamps.push_back(FileStamp::of(folder));
        auto enumerator =
            FileManager::enumerator(QUrl::fromLocalFile(folder), DirectoryEnumerator::SkipsHiddenFiles |
                                                                     DirectoryEnumerator::SkipsPackageDescendants);
        if (!enumerator)
            continue;
        while (const auto item = enumerator->nextObject()) {
            const QString path = item->toLocalFile();
            const QFileInfo info(path);
            if (!info.isDir() || info.isSymLink())
                continue;
            if (info.suffix() != u"app"_s) {
                if (!FileManager::isPackage(path))
                    contents->stamps.push_back(FileStamp::of(path));
                continue;
            }
            contents->stamps.push_back(FileStamp::of(path + u"/Contents/Info.plist"_s));
            const auto bundle = Bundle::bundleWithURL(*item);
            const auto identifier = bundle ? bundle->bundleIdentifier() : std::nullopt;
            if (!identifier || identifier->isEmpty())
                continue;
            if (!contents->locations.contains(identifier->toLower()))
                contents->locations.insert(identifier->toLower(), path);
            for (const QVariant& entryValue : bundle->infoDictionary().value(u"CFBundleDocumentTypes"_s).toList()) {
                const QVariantMap entry = entryValue.toMap();
                const auto rank = rankValue(entry.value(u"LSHandlerRank"_s));
                const auto roles = rolesServed(entry.value(u"CFBundleTypeRole"_s));
                if (!rank || !roles)
                    continue;
                QStringList types = strings(entry.value(u"LSItemContentTypes"_s));
                if (types.isEmpty()) {
                    for (const QString& extension : strings(entry.value(u"CFBundleTypeExtensions"_s)))
                        if (const auto type = UTType::typeWithFilenameExtension(extension); type && extension != u"*"_s)
                            types.append(type->identifier());
                }
                for (const QString& type : types)
                    contents->claims[type.toLower()].push_back({*identifier, *rank, *roles});
            }
        }
    }
    return contents;
}

} // namespace tessik::platform
