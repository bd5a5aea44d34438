#include "mime_type_table.h"

#include "mime_type_name.h"
#include "user_mime_package.h"
#include "xdg_environment.h"

#include <QMimeDatabase>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

const QString dynamicPrefix = u"application/x-extension-"_s;

} // namespace

const MimeTypeTable& MimeTypeTable::shared()
{
    static const MimeTypeTable table;
    return table;
}

QString MimeTypeTable::dynamicIdentifier(const QString& extension)
{
    return dynamicPrefix + extension.toLower();
}

std::shared_ptr<const TypeRecord> MimeTypeTable::type(const QString& identifier) const
{
    QMutexLocker locker(&m_mutex);
    refreshIfStale();
    return lookUp(identifier);
}

std::shared_ptr<const TypeRecord> MimeTypeTable::typeForExtension(const QString& extension,
                                                                  const QString& supertype) const
{
    if (extension.isEmpty() || extension.contains(u'/'))
        return nullptr;
    QMutexLocker locker(&m_mutex);
    refreshIfStale();
    const std::pair<QString, QString> key{extension, supertype.toLower()};
    if (const auto found = m_byExtension.constFind(key); found != m_byExtension.cend())
        return *found;
    const QString wanted = canonicalName(supertype).toLower();
    std::shared_ptr<const TypeRecord> result;
    for (const QMimeType& mime : QMimeDatabase().mimeTypesForFileName(u"x."_s + extension)) {
        const auto record = lookUp(mime.name());
        if (record && record->conformance.contains(wanted)) {
            result = record;
            break;
        }
    }
    if (!result) {
        const auto dynamic = lookUp(dynamicIdentifier(extension));
        if (dynamic && dynamic->conformance.contains(wanted))
            result = dynamic;
    }
    m_byExtension.insert(key, result);
    return result;
}

void MimeTypeTable::refreshIfStale() const
{
    const XdgEnvironment environment = XdgEnvironment::current();
    const QStringList dataFolders = QStringList{environment.dataHome} + environment.dataDirs;
    if (m_loaded && m_locale == QLocale() && m_dataFolders == dataFolders)
        return;
    m_locale = QLocale();
    m_dataFolders = dataFolders;
    m_loaded = true;
    m_records.clear();
    m_byExtension.clear();
    m_canonicalNames.clear();
    m_types.clear();
    m_aliasTargets.clear();
    m_aliases.clear();
    // Any program can add a package to the user's database: a name that could break a list is not a type, and an
    // alias does not take over a name that is a type of its own (text/plain as an alias of text/markdown).
    const QList<QMimeType> all = QMimeDatabase().allMimeTypes();
    for (const QMimeType& mime : all) {
        if (!MimeTypeName::isValid(mime.name()))
            continue;
        m_types.insert(mime.name(), mime);
        m_canonicalNames.insert(mime.name().toLower(), mime.name());
    }
    for (const QMimeType& mime : all) {
        if (!m_types.contains(mime.name()))
            continue;
        for (const QString& alias : mime.aliases()) {
            if (!MimeTypeName::isValid(alias) || m_canonicalNames.contains(alias.toLower()))
                continue;
            m_canonicalNames.insert(alias.toLower(), mime.name());
            m_aliasTargets.insert(alias, mime.name());
            m_aliases[mime.name()].append(alias);
        }
    }
}

QString MimeTypeTable::canonicalSpelling(const QString& name) const
{
    QMutexLocker locker(&m_mutex);
    refreshIfStale();
    return m_aliasTargets.value(name, name);
}

QString MimeTypeTable::declaredType(const QString& name) const
{
    QMutexLocker locker(&m_mutex);
    refreshIfStale();
    return m_canonicalNames.value(name.toLower(), name);
}

QStringList MimeTypeTable::aliases(const QString& canonicalName) const
{
    QMutexLocker locker(&m_mutex);
    refreshIfStale();
    return m_aliases.value(canonicalName);
}

// The database's own look-up is case-sensitive; unknown names come back lower-cased.
QString MimeTypeTable::canonicalName(const QString& identifier) const
{
    const QString lower = identifier.toLower();
    return m_canonicalNames.value(lower, lower);
}

std::shared_ptr<const TypeRecord> MimeTypeTable::lookUp(const QString& identifier) const
{
    const QString name = canonicalName(identifier);
    const QString key = name.toLower();
    if (const auto found = m_records.constFind(key); found != m_records.cend())
        return *found;
    std::shared_ptr<const TypeRecord> record;
    if (!MimeTypeName::isValid(name)) {
        // Never looked up, and never made a dynamic type.
    } else if (const QMimeType mime = m_types.value(name); mime.isValid()) {
        record = recordFor(mime);
    } else if (key.startsWith(dynamicPrefix) && UserMimePackage::canRegister(key.sliced(dynamicPrefix.size()))) {
        auto dynamic = std::make_shared<TypeRecord>();
        dynamic->identifier = key;
        dynamic->extensions = {key.sliced(dynamicPrefix.size())};
        dynamic->mimeTypes = {key};
        dynamic->parents = {dataIdentifier()};
        dynamic->conformance = {key, dataIdentifier()};
        dynamic->dynamic = true;
        record = dynamic;
    }
    m_records.insert(key, record);
    return record;
}

std::shared_ptr<const TypeRecord> MimeTypeTable::recordFor(const QMimeType& mime) const
{
    auto record = std::make_shared<TypeRecord>();
    record->identifier = mime.name();
    record->description = mime.comment();
    if (const QString preferred = mime.preferredSuffix().toLower(); !preferred.isEmpty())
        record->extensions.append(preferred);
    for (const QString& suffix : mime.suffixes())
        if (!record->extensions.contains(suffix.toLower()))
            record->extensions.append(suffix.toLower());
    record->mimeTypes = {mime.name()};
    for (const QString& parent : mime.parentMimeTypes())
        if (MimeTypeName::isValid(parent))
            record->parents.append(parent);
    // Walked here rather than by allAncestors(), which recurses without end when two types subclass each other.
    record->conformance.insert(mime.name().toLower());
    QStringList pending = record->parents;
    while (!pending.isEmpty()) {
        const QString ancestor = canonicalName(pending.takeLast());
        if (!MimeTypeName::isValid(ancestor) || record->conformance.contains(ancestor.toLower()))
            continue;
        record->conformance.insert(ancestor.toLower());
        pending += m_types.value(ancestor).parentMimeTypes();
    }
    // The database implies these only for types without a declared parent.
    if (mime.name().startsWith(u"text/"_s))
        record->conformance.insert(u"text/plain"_s);
    if (!mime.name().startsWith(u"inode/"_s))
        record->conformance.insert(dataIdentifier());
    return record;
}

} // namespace tessik::platform
