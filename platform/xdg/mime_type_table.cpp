#include "mime_type_table.h"

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
    for (const QMimeType& mime : QMimeDatabase().allMimeTypes()) {
        m_canonicalNames.insert(mime.name().toLower(), mime.name());
        for (const QString& alias : mime.aliases())
            m_canonicalNames.insert(alias.toLower(), mime.name());
    }
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
    if (const QMimeType mime = QMimeDatabase().mimeTypeForName(name); mime.isValid()) {
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
    record->parents = mime.parentMimeTypes();
    record->conformance.insert(mime.name().toLower());
    for (const QString& ancestor : mime.allAncestors())
        record->conformance.insert(canonicalName(ancestor).toLower());
    // The database implies these only for types without a declared parent.
    if (mime.name().startsWith(u"text/"_s))
        record->conformance.insert(u"text/plain"_s);
    if (!mime.name().startsWith(u"inode/"_s))
        record->conformance.insert(dataIdentifier());
    return record;
}

} // namespace tessik::platform
