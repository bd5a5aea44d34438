#pragma once

#include "record_folder.h"

#include <QDateTime>
#include <QFileInfo>
#include <QList>
#include <QUuid>

#include <algorithm>
#include <exception>

namespace tessik {

template <typename Record> struct LoadedRecords
{
    QList<Record> records;
    // What reading each file that could not be read threw.
    QList<std::exception_ptr> unreadable;
};

// Every record of a snapshot or report store, newest first. Records are dated to the second: the time of a
// record's file tells apart those of the same second, then the id, so every reader agrees on which is newest.
template <typename Store> auto newestFirst(const Store& store)
{
    using Record = decltype(store.load(QUuid()));
    QList<std::pair<Record, QDateTime>> records;
    LoadedRecords<Record> loaded;
    const RecordFolder folder(store.directory());
    for (const QUuid& id : store.ids()) {
        try {
            records.append({store.load(id), QFileInfo(folder.fileURL(id).toLocalFile()).lastModified()});
        } catch (...) {
            loaded.unreadable.append(std::current_exception());
        }
    }
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
        if (a.first.createdAt != b.first.createdAt)
            return a.first.createdAt > b.first.createdAt;
        return a.second != b.second ? a.second > b.second : a.first.id < b.first.id;
    });
    for (auto& [record, time] : records)
        loaded.records.append(std::move(record));
    return loaded;
}

} // namespace tessik
