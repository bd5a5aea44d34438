#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tessik::platform {

// A file's identity, modification time and size as one stat call reports them, to tell cheaply whether a
// file read earlier has changed since. The inode catches atomic replacements within one clock tick. A missing
// file has size -1.
struct FileStamp
{
    QString path;
    qint64 modifiedNs = -1;
    qint64 size = -1;
    quint64 inode = 0;

    static FileStamp of(const QString& path);
    // Reads a regular file of at most `limit` bytes and stamps it from the same open file, so reading costs
    // no separate look-up. Nothing when it cannot be read, is larger or is not a regular file (a pipe or device is
    // never waited on).
    static std::optional<QByteArray> read(const QString& path, qint64 limit, FileStamp& stamp);
    // Whether a path holds nothing or a regular file, the only things ever opened or created at a file's path; asked
    // by a stat, which never waits on a pipe, socket or device the way opening one does.
    static bool isMissingOrRegular(const QString& path);
    bool exists() const { return size >= 0; }
    bool isCurrent() const { return *this == of(path); }
    bool operator==(const FileStamp&) const = default;
};

} // namespace tessik::platform
