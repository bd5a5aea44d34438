#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

namespace tessik::testing {

// A named pipe that tells whether anything opened it for reading. A writer waits on it in the background, so a
// reader is let go at once (and reads an empty file) instead of hanging the test; the watch lets its own writer go
// at the end.
class PipeWatch
{
public:
    explicit PipeWatch(const QString& path);
    ~PipeWatch();
    PipeWatch(const PipeWatch&) = delete;
    PipeWatch& operator=(const PipeWatch&) = delete;

    bool ready() const { return m_writer.joinable(); }
    int opens() const { return m_opens; }

private:
    QByteArray m_path;
    std::atomic<bool> m_closing = false;
    std::atomic<int> m_opens = 0;
    std::thread m_writer;
};

} // namespace tessik::testing
