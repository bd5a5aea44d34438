#include "custom_association_store.h"

#include "core/support/json_file.h"
#include "core/support/strict_json.h"
#include "platform/file_lock.h"
#include "platform/file_manager.h"
#include "platform/ns_error.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QMutex>
#include <QSet>

using namespace Qt::StringLiterals;

namespace tessik {

CustomAssociationStore::CustomAssociationStore(QUrl fileURL) : m_fileURL(std::move(fileURL)) {}

QUrl CustomAssociationStore::defaultFileURL()
{
    const QUrl support = platform::FileManager::applicationSupportDirectory();
    return QUrl::fromLocalFile(support.toLocalFile() + u"/Tessik/CustomAssociations.json"_s);
}

QList<CustomAssociation> CustomAssociationStore::load() const
{
    if (!platform::FileManager::fileExists(m_fileURL.toLocalFile()))
        return {};
    const QJsonDocument document = JsonFile::read(m_fileURL);
    if (!document.isArray())
        throw JsonDecodingError(u"%1 does not hold a list of custom associations."_s.arg(m_fileURL.fileName()),
                                m_fileURL.fileName());
    QList<CustomAssociation> associations;
    for (const QJsonValue& value : document.array()) {
        if (!value.isObject())
            throw JsonDecodingError(u"%1 holds an entry that is not an object."_s.arg(m_fileURL.fileName()),
                                    m_fileURL.fileName());
        associations.append(CustomAssociation::fromJson(value.toObject()));
    }
    return associations;
}

void CustomAssociationStore::save(const QList<CustomAssociation>& associations) const
{
    QSet<QStringList> seen;
    QJsonArray array;
    for (const CustomAssociation& association : associations) {
        const QStringList key{association.typeIdentifier, association.app.bundleIdentifier, association.fileExtension};
        if (seen.contains(key))
            continue;
        seen.insert(key);
        array.append(association.toJson());
    }
    JsonFile::write(QJsonDocument(array), m_fileURL);
}

QList<CustomAssociation> CustomAssociationStore::add(const CustomAssociation& association) const
{
    const QString path = m_fileURL.toLocalFile();
    platform::FileManager::createDirectory(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    // The lock file keeps other programs out; it does not tell this program's threads apart.
    static QMutex threads;
    const QMutexLocker threadLocker(&threads);
    const platform::FileLock lock(path + u".lock"_s, std::chrono::seconds(10), std::chrono::seconds(10));
    if (!lock.isLocked())
        throw platform::NSError(platform::NSCocoaErrorDomain, platform::NSFileWriteUnknownError,
                                u"%1 is being changed by another program."_s.arg(m_fileURL.fileName()), {}, path);
    QList<CustomAssociation> associations = load();
    if (!associations.contains(association)) {
        associations.append(association);
        save(associations);
    }
    return associations;
}

} // namespace tessik
