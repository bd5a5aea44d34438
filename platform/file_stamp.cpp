#include "file_stamp.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessik::platform {

namespace {

FileStamp stampFrom(const QString& path, const struct stat& status)
{
    return {path, qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec, qint64(status.st_size),
            quint64(status.st_ino)};
}

} // namespace

std::optional<QByteArray> FileStamp::read(const QString& path, qint64 limit, FileStamp& stamp)
{
    stamp = {path};
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come; the type is checked below.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat status;
    std::optional<QByteArray> data;
    if (::fstat(fd, &status) == 0) {
        stamp = stampFrom(path, status);
        if (S_ISREG(status.st_mode) && status.st_size <= limit) {
            QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
            qsizetype done = 0;
            while (done < bytes.size()) {
                const ssize_t got = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    break;
                done += got;
            }
            if (done == bytes.size())
                data = std::move(bytes);
        }
    }
    ::close(fd);
    return data;
}

bool FileStamp::isMissingOrRegular(const QString& path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT;
    return S_ISREG(status.st_mode);
}

FileStamp FileStamp::of(const QString& path)
{
    // Plain stat: QFileInfo would ask for the local time zone on every modification time.
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {path};
    return stampFrom(path, status);
}

} // namespace tessik::platform
