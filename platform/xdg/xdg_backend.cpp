#include "xdg_backend.h"

#include "../bundle_data.h"
#include "../ns_error.h"
#include "../type_record.h"
#include "desktop_entry.h"
#include "desktop_entry_index.h"
#include "mime_apps_groups.h"
#include "mime_apps_lookup.h"
#include "mime_apps_writer.h"
#include "mime_subclasses.h"
#include "mime_type_name.h"
#include "mime_type_table.h"
#include "user_mime_package.h"
#include "xdg_environment.h"

#include <QDir>
#include <QLocale>
#include <QMimeDatabase>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

// Entries are looked up for every application of a scan; the folders are checked for changes at most this often.
constexpr qint64 entryRecheckMilliseconds = 500;

bool readsDefaults(LSRolesMask role)
{
    return role == kLSRolesAll || role == kLSRolesViewer || role == kLSRolesEditor;
}

QString canonicalName(const QString& mimeType)
{
    return MimeTypeTable::shared().canonicalSpelling(mimeType);
}

bool isSchemeHandler(const QString& type)
{
    return type.startsWith(u"x-scheme-handler/"_s, Qt::CaseInsensitive) && type.size() > 17;
}

// A type the MIME database lacks but the desktop uses: a URL scheme's handler, or a type an application declares.
std::shared_ptr<const TypeRecord> undescribedType(const QString& identifier)
{
    auto record = std::make_shared<TypeRecord>();
    record->identifier = isSchemeHandler(identifier) ? identifier.toLower() : identifier;
    record->mimeTypes = {record->identifier};
    record->conformance = {record->identifier.toLower()};
    if (!isSchemeHandler(identifier))
        record->conformance.insert(MimeTypeTable::dataIdentifier());
    return record;
}

// What an application bundle's information dictionary would say of the entry.
QVariantMap informationOf(const QString& id, const DesktopEntry& entry)
{
    QVariantList documentTypes;
    QStringList seen;
    for (const QString& declared : entry.mimeTypes) {
        // An alias is no format of its own, whatever GLib makes of its spelling.
        const QString type = MimeTypeTable::shared().declaredType(declared);
        if (!MimeTypeName::isValid(type) || seen.contains(type))
            continue;
        seen.append(type);
        documentTypes.append(
            QVariantMap{{u"CFBundleTypeRole"_s, u"Editor"_s}, {u"LSItemContentTypes"_s, QVariantList{type}}});
    }
    QVariantMap info{{u"CFBundleIdentifier"_s, id},
                     {u"CFBundleName"_s, entry.name.isEmpty() ? id.chopped(8) : entry.name},
                     {u"CFBundleDocumentTypes"_s, documentTypes}};
    if (!entry.exec.isEmpty())
        info.insert(u"CFBundleExecutable"_s, entry.exec);
    return info;
}

} // namespace

XdgBackend::XdgBackend()
    : m_lookup(std::make_unique<MimeAppsLookup>([this](const QString& id) { return entries()->isInstalled(id); },
                                                canonicalName,
                                                [this](const QString& id) { return entries()->folderOf(id); }))
{
}

XdgBackend::~XdgBackend() = default;

std::shared_ptr<const DesktopEntryIndex> XdgBackend::entries() const
{
    // What the index depends on besides the files: a different desktop is looked at again at once.
    const XdgEnvironment environment = XdgEnvironment::current();
    const QStringList key =
        QStringList{environment.dataHome, DesktopEntry::messageLocale(), qEnvironmentVariable("PATH")} +
        environment.dataDirs;
    QMutexLocker locker(&m_mutex);
    if (!m_entries || key != m_entriesKey || m_sinceCheck.elapsed() >= entryRecheckMilliseconds) {
        m_entries = DesktopEntryIndex::current();
        m_entriesKey = key;
        m_sinceCheck.start();
    }
    return m_entries;
}

QList<QUrl> XdgBackend::applicationDirectories() const
{
    QList<QUrl> folders;
    for (const QString& folder : XdgEnvironment::current().applicationDirectories())
        folders.prepend(QUrl::fromLocalFile(folder));
    return folders;
}

bool XdgBackend::isApplication(const QUrl& url) const
{
    return url.isLocalFile() && !entries()->idForFile(url.toLocalFile()).isEmpty();
}

std::shared_ptr<const BundleData> XdgBackend::openBundle(const QUrl& url) const
{
    if (!url.isLocalFile())
        return nullptr;
    const auto index = entries();
    const QString id = index->idForFile(url.toLocalFile());
    const DesktopEntry* entry = id.isEmpty() ? nullptr : index->installedEntry(id);
    if (!entry)
        return nullptr;
    auto bundle = std::make_shared<BundleData>();
    bundle->url = url;
    bundle->info = informationOf(id, *entry);
    return bundle;
}

std::optional<QUrl> XdgBackend::applicationURL(const QString& bundleIdentifier) const
{
    const QString path = entries()->filePath(bundleIdentifier);
    return path.isEmpty() ? std::nullopt : std::optional(QUrl::fromLocalFile(path));
}

std::optional<QString> XdgBackend::applicationIcon(const QUrl& applicationURL) const
{
    const auto index = entries();
    const DesktopEntry* entry = index->installedEntry(index->idForFile(applicationURL.toLocalFile()));
    if (!entry || entry->icon.isEmpty())
        return std::nullopt;
    return entry->icon;
}

// A desktop entry needs no registering: it is installed by being in an application folder.
OSStatus XdgBackend::registerApplication(const QUrl& url)
{
    return isApplication(url) ? noErr : paramErr;
}

QString XdgBackend::wellKnownType(WellKnownType type) const
{
    switch (type) {
    case WellKnownType::data:
        return MimeTypeTable::dataIdentifier();
    case WellKnownType::item:
        return MimeTypeTable::itemIdentifier();
    case WellKnownType::cameraRawImage:
        return MimeTypeTable::cameraRawImageIdentifier();
    }
    return {};
}

std::shared_ptr<const TypeRecord> XdgBackend::type(const QString& identifier) const
{
    if (!MimeTypeName::isValid(identifier))
        return nullptr;
    if (auto record = MimeTypeTable::shared().type(identifier))
        return record;
    if (isSchemeHandler(identifier) || declaredTypes()->contains(identifier))
        return undescribedType(identifier);
    return nullptr;
}

std::shared_ptr<const QSet<QString>> XdgBackend::declaredTypes() const
{
    const auto index = entries();
    QMutexLocker locker(&m_mutex);
    if (m_declaredTypesIndex.lock() != index) {
        auto types = std::make_shared<QSet<QString>>();
        for (const QString& id : index->installedIds())
            for (const QString& type : index->installedEntry(id)->mimeTypes)
                if (MimeTypeName::isValid(type))
                    types->insert(type);
        m_declaredTypes = std::move(types);
        m_declaredTypesIndex = index;
    }
    return m_declaredTypes;
}

std::shared_ptr<const TypeRecord> XdgBackend::typeForExtension(const QString& extension, const QString& supertype) const
{
    return MimeTypeTable::shared().typeForExtension(extension, supertype);
}

std::shared_ptr<const TypeRecord> XdgBackend::typeForFile(const QString& path) const
{
    // By name and content, as a file manager tells it; the database's fallback type says it could not tell.
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(path);
    return mime.isValid() && !mime.isDefault() ? type(mime.name()) : nullptr;
}

QStringList XdgBackend::urlSchemeHandlers(const QString& scheme) const
{
    const QString type = u"x-scheme-handler/"_s + scheme.toLower();
    const auto index = entries();
    QStringList handlers;
    for (const QString& id : index->installedIds())
        if (index->installedEntry(id)->mimeTypes.contains(type))
            handlers.append(id);
    return handlers;
}

QStringList XdgBackend::typeChain(const QString& contentType) const
{
    const auto record = type(contentType);
    if (!record)
        return {};
    // GLib falls back only to the parents the database declares, not to those every type has implicitly.
    const XdgEnvironment environment = XdgEnvironment::current();
    QStringList chain{record->identifier};
    for (qsizetype i = 0; i < chain.size(); ++i) {
        QStringList parents;
        if (const auto declared = MimeSubclasses::shared().parents(environment, chain[i])) {
            parents = *declared;
        } else if (const auto known = MimeTypeTable::shared().type(chain[i])) {
            parents = known->parents;
            parents.removeAll(MimeTypeTable::dataIdentifier());
        }
        for (const QString& parent : std::as_const(parents))
            if (const QString name = canonicalName(parent); MimeTypeName::isValid(name) && !chain.contains(name))
                chain.append(name);
    }
    return chain;
}

std::optional<QString> XdgBackend::defaultHandler(const QString& contentType, LSRolesMask role) const
{
    return explainDefaultHandler(contentType, role).handler;
}

HandlerExplanation XdgBackend::explainDefaultHandler(const QString& contentType, LSRolesMask role) const
{
    using Reason = HandlerExplanation::PassOverReason;
    HandlerExplanation explanation;
    if (!readsDefaults(role))
        return explanation;
    const QStringList chain = typeChain(contentType);
    if (chain.isEmpty())
        return explanation;
    const MimeAppsLookup::Decision decision = m_lookup->decide(XdgEnvironment::current(), chain);
    const auto index = entries();
    for (const MimeAppsLookup::PassedOver& entry : decision.passedOver) {
        Reason reason = Reason::removed;
        if (entry.removedBy.isEmpty()) {
            switch (index->absence(entry.desktopId)) {
            case DesktopEntryIndex::Absence::noFile:
                reason = Reason::notInstalled;
                break;
            case DesktopEntryIndex::Absence::hidden:
                reason = Reason::hidden;
                break;
            case DesktopEntryIndex::Absence::notStartable:
                reason = Reason::notStartable;
                break;
            }
        }
        explanation.passedOver.append({entry.desktopId, reason, entry.file, entry.group,
                                       entry.type == chain.first() ? QString() : entry.type, entry.removedBy});
    }
    if (!decision.choice)
        return explanation;
    explanation.handler = decision.choice->desktopId;
    explanation.file = decision.choice->file;
    explanation.group = decision.group;
    explanation.decidingType = decision.type;
    explanation.listedAs = decision.listedAs;
    if (decision.group == MimeAppsGroups::defaults)
        explanation.source = HandlerExplanation::Source::defaultApplications;
    else if (decision.group == MimeAppsGroups::added)
        explanation.source = HandlerExplanation::Source::addedAssociation;
    else
        explanation.source = HandlerExplanation::Source::desktopEntry;
    return explanation;
}

OSStatus XdgBackend::setDefaultHandler(const QString& contentType, LSRolesMask role, const QString& handler)
{
    const auto record = type(contentType);
    if (!readsDefaults(role) || !record || handler.isEmpty() || !entries()->isInstalled(handler))
        return paramErr;
    const XdgEnvironment environment = XdgEnvironment::current();
    // A type invented for an unclaimed extension means nothing to other programs until it is in the user's
    // MIME database.
    if (record->dynamic && !record->extensions.isEmpty())
        UserMimePackage::registerExtension(environment, record->extensions.first());
    // Only the type's own lines: a name that merely resolves to it elsewhere is not touched.
    MimeAppsWriter::setDefault(environment, record->identifier, MimeTypeTable::shared().aliases(record->identifier),
                               handler);

    // Only the user's own list is ours to edit; a desktop's list before it may still decide.
    const auto choice = m_lookup->defaultApplication(environment, typeChain(record->identifier));
    if (choice && choice->desktopId != handler && QDir::cleanPath(choice->file) != environment.userMimeAppsList())
        throw NSError(TessikDesktopErrorDomain, TessikOverriddenDefaultError,
                      u"%1 still decides the default application of %2."_s.arg(choice->file, record->identifier), {},
                      choice->file);
    return noErr;
}

bool XdgBackend::openURL(const QUrl& url)
{
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return QProcess::startDetached(u"xdg-open"_s, {url.toString(QUrl::FullyEncoded)});
}

QUrl XdgBackend::homeDirectory() const
{
    return QUrl::fromLocalFile(XdgEnvironment::current().home);
}

QUrl XdgBackend::applicationSupportDirectory() const
{
    return QUrl::fromLocalFile(XdgEnvironment::current().dataHome);
}

std::unique_ptr<QSettings> XdgBackend::openDefaults() const
{
    return settingsFile(XdgEnvironment::current().configHome + u"/Tessik/Tessik.conf"_s, QSettings::IniFormat);
}

QStringList XdgBackend::preferredLanguages() const
{
    // "de_DE.UTF-8@euro" names the language de_DE; C and POSIX name none.
    const QString locale = DesktopEntry::messageLocale().section(u'.', 0, 0).section(u'@', 0, 0);
    if (locale.isEmpty() || locale == u"C"_s || locale == u"POSIX"_s)
        return {u"en"_s};
    return QLocale(locale).uiLanguages();
}

} // namespace tessik::platform
