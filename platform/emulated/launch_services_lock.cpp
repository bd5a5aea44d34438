#include "launch_services_lock.h"

#include "machine_paths.h"

#include <QDir>
#include <QFileInfo>

namespace tessik::platform {
namespace {

using namespace std::chrono_literals;

// Writes take milliseconds: a lock this old belongs to a process that hangs.
constexpr auto staleAfter = 10s;
constexpr auto wait = 30s;

QString lockPath()
{
    const QString path = MachinePaths::launchServicesLock();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

} // namespace

LaunchServicesLock::LaunchServicesLock() : m_file(lockPath(), staleAfter, wait) {}

} // namespace tessik::platform
