#include "system_root.h"

#include <QDir>
#include <QReadWriteLock>

#include <atomic>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

QReadWriteLock& rootLock()
{
    static QReadWriteLock lock;
    return lock;
}

QString& rootStorage()
{
    static QString root;
    return root;
}

} // namespace

void setSystemRoot(const QString& directory)
{
    const QString cleaned = directory.isEmpty() ? QString() : QDir::cleanPath(QDir(directory).absolutePath());
    QWriteLocker locker(&rootLock());
    rootStorage() = cleaned == u"/"_s ? QString() : cleaned;
}

QString systemRoot()
{
    QReadLocker locker(&rootLock());
    return rootStorage();
}

QUrl systemURL(const QString& absolutePath)
{
    return QUrl::fromLocalFile(QDir::cleanPath(systemRoot() + u'/' + absolutePath));
}

SystemKind systemKind()
{
    return systemRoot().isEmpty() ? nativeSystem() : SystemKind::mac;
}

namespace {

#ifdef TESSIK_MAC_BACKEND
std::atomic<SystemKind> native{SystemKind::mac};
#else
std::atomic<SystemKind> native{SystemKind::freedesktop};
#endif

} // namespace

void setNativeSystem(SystemKind kind)
{
#ifdef TESSIK_MAC_BACKEND
    native = kind;
#else
    Q_UNUSED(kind);
#endif
}

SystemKind nativeSystem()
{
    return native;
}

} // namespace tessik::platform
