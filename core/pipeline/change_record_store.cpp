#include "change_record_store.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace tessik {

ChangeRecordStore::ChangeRecordStore(QUrl directory) : m_folder(std::move(directory)) {}

QUrl ChangeRecordStore::defaultDirectory()
{
    return RecordFolder::dataFolder(u"Outcomes"_s);
}

QUrl ChangeRecordStore::save(const ChangeRecord& record) const
{
    return m_folder.save(record.id, record.toJson());
}

ChangeRecord ChangeRecordStore::load(const QUuid& id) const
{
    return ChangeRecord::fromJson(m_folder.load(id));
}

bool ChangeRecordStore::contains(const QUuid& id) const
{
    return QFile::exists(m_folder.fileURL(id).toLocalFile());
}

void ChangeRecordStore::remove(const QUuid& id) const
{
    QFile::remove(m_folder.fileURL(id).toLocalFile());
}

} // namespace tessik
