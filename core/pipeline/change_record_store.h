#pragma once

#include "change_record.h"
#include "core/support/record_folder.h"

#include <QUrl>

namespace tessik {

// The folder of change records, "Tessik/Outcomes" in Application Support by default, one file per snapshot.
class ChangeRecordStore
{
public:
    explicit ChangeRecordStore(QUrl directory = defaultDirectory());

    static QUrl defaultDirectory();
    const QUrl& directory() const { return m_folder.directory(); }

    // Writes atomically under the record's id and returns the file's location. Throws NSError.
    QUrl save(const ChangeRecord& record) const;
    // Throws NSError or JsonDecodingError.
    ChangeRecord load(const QUuid& id) const;
    bool contains(const QUuid& id) const;
    // For a run that is forgotten with its snapshot.
    void remove(const QUuid& id) const;

private:
    RecordFolder m_folder;
};

} // namespace tessik
