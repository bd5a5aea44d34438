#include "backend.h"

#include "emulated/emulated_backend.h"
#include "file_stamp.h"
#include "system_root.h"
#include "xdg/xdg_backend.h"

#include <QMutex>

namespace tessik::platform {
namespace {

QMutex checkMutex;
std::function<void()> desktopAccessCheck;

} // namespace

Backend& Backend::current()
{
    static EmulatedBackend emulated;
    static XdgBackend desktop;
    if (!systemRoot().isEmpty())
        return emulated;
    {
        QMutexLocker locker(&checkMutex);
        if (desktopAccessCheck)
            desktopAccessCheck();
    }
    return desktop;
}

std::unique_ptr<QSettings> Backend::settingsFile(const QString& path, QSettings::Format format)
{
    if (FileStamp::isMissingOrRegular(path) && FileStamp::isMissingOrRegular(path + QStringLiteral(".lock")))
        return std::make_unique<QSettings>(path, format);
    return std::make_unique<QSettings>(QString(), format);
}

void Backend::setDesktopAccessCheck(std::function<void()> check)
{
    QMutexLocker locker(&checkMutex);
    desktopAccessCheck = std::move(check);
}

} // namespace tessik::platform
