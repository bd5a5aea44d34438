#pragma once

#include <QLockFile>
#include <QString>

#include <chrono>

namespace tessik::platform {

// A lock file held while one file is read, changed and saved, so that processes writing at once never drop each
// other's changes. QLockFile reads a lock it finds to see whether its owner is gone, and reading a named pipe would
// wait for ever; so anything but a regular file at the lock's path leaves the lock untaken, as a lock still held
// after `wait` does. A lock older than `staleAfter` belongs to a process that hangs or died and is taken over.
class FileLock
{
public:
    FileLock(const QString& path, std::chrono::milliseconds staleAfter, std::chrono::milliseconds wait);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool isLocked() const { return m_file.isLocked(); }

private:
    QLockFile m_file;
};

} // namespace tessik::platform
