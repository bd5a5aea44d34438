#pragma once

#include <QJsonObject>
#include <QUrl>
#include <QUuid>

namespace tessik {

// A folder of the system's own records, one JSON file each, named by the record's upper-case UUID.
class RecordFolder
{
public:
    explicit RecordFolder(QUrl directory) : m_directory(std::move(directory)) {}

    // A sub-folder of Tessik's data folder in Application Support ("Snapshots", "Failures").
    static QUrl dataFolder(const QString& name);
    static QString uuidText(const QUuid& id);

    const QUrl& directory() const { return m_directory; }
    QUrl fileURL(const QUuid& id) const;
    // Creates the folder, then writes atomically with sorted keys. Throws NSError.
    QUrl save(const QUuid& id, const QJsonObject& record) const;
    // Throws NSError or JsonDecodingError.
    QJsonObject load(const QUuid& id) const;
    // The records present, by the UUIDs their file names carry.
    QList<QUuid> ids() const;

private:
    QUrl m_directory;
};

} // namespace tessik
