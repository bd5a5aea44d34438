#include "record_folder.h"

#include "json_file.h"
#include "platform/file_manager.h"
#include "platform/ns_error.h"
#include "strict_json.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace tessik {

QUrl RecordFolder::dataFolder(const QString& name)
{
    return QUrl::fromLocalFile(platform::FileManager::applicationSupportDirectory().toLocalFile() + u"/Tessik/"_s +
                               name);
}

QString RecordFolder::uuidText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QUrl RecordFolder::fileURL(const QUuid& id) const
{
    return QUrl::fromLocalFile(m_directory.toLocalFile() + u'/' + uuidText(id) + u".json"_s);
}

QUrl RecordFolder::save(const QUuid& id, const QJsonObject& record) const
{
    if (!platform::FileManager::createDirectory(m_directory))
        throw platform::NSError(platform::NSCocoaErrorDomain, platform::NSFileWriteUnknownError,
                                u"The folder “%1” could not be created."_s.arg(m_directory.toLocalFile()), {},
                                m_directory.toLocalFile());
    const QUrl url = fileURL(id);
    JsonFile::write(QJsonDocument(record), url);
    return url;
}

QJsonObject RecordFolder::load(const QUuid& id) const
{
    const QJsonDocument document = JsonFile::read(fileURL(id));
    if (!document.isObject())
        throw JsonDecodingError(u"%1 does not hold a JSON object."_s.arg(fileURL(id).fileName()),
                                fileURL(id).fileName());
    return document.object();
}

QList<QUuid> RecordFolder::ids() const
{
    QList<QUuid> ids;
    for (const QString& name : QDir(m_directory.toLocalFile()).entryList({u"*.json"_s}, QDir::Files)) {
        const QString stem = name.chopped(5);
        const QUuid id = QUuid::fromString(stem);
        if (!id.isNull() && uuidText(id) == stem)
            ids.append(id);
    }
    return ids;
}

} // namespace tessik
