#include "pipe_watch.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessik::testing {

PipeWatch::PipeWatch(const QString& path) : m_path(QFile::encodeName(path))
{
    if (::mkfifo(m_path.constData(), 0600) != 0)
        return;
    m_writer = std::thread([this] {
        // Opening for writing waits for a reader.
        while (true) {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_CLOEXEC);
            if (m_closing) {
                if (fd >= 0)
                    ::close(fd);
                return;
            }
            ++m_opens;
            if (fd >= 0)
                ::close(fd);
            // The reader has its end of file; wait until it lets go before waiting for the next one.
            while (!m_closing) {
                const int probe = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (probe < 0)
                    break;
                ::close(probe);
                std::this_thread::yield();
            }
        }
    });
}

PipeWatch::~PipeWatch()
{
    m_closing = true;
    const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_writer.joinable())
        m_writer.join();
    if (fd >= 0)
        ::close(fd);
    ::unlink(m_path.constData());
}

} // namespace tessik::testing
