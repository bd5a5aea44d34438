#include "file_lock.h"

#include "file_stamp.h"

namespace tessik::platform {

FileLock::FileLock(const QString& path, std::chrono::milliseconds staleAfter, std::chrono::milliseconds wait)
    : m_file(path)
{
    m_file.setStaleLockTime(int(staleAfter.count()));
    if (FileStamp::isMissingOrRegular(path))
        m_file.tryLock(int(wait.count()));
}

} // namespace tessik::platform
