#include "launch_services_lock.h"

#include "machine_paths.h"

#include <QDir>
#include <QFileInfo>

namespace tessik::platform {
namespace {

// Writes take milliseconds: a lock this old belongs to a process that hangs.
constexpr int staleAfterMs = 10000;
constexpr int waitMs = 30000;

} // namespace

LaunchServicesLock::LaunchServicesLock() : m_file(MachinePaths::launchServicesLock())
{
    QDir().mkpath(QFileInfo(m_file.fileName()).absolutePath());
    m_file.setStaleLockTime(staleAfterMs);
    m_file.tryLock(waitMs);
}

} // namespace tessik::platform
