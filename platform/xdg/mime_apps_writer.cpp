#include "mime_apps_writer.h"

#include "platform/file_stamp.h"
#include "platform/ns_error.h"
#include "platform/xdg/key_file_document.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

const QString defaultGroup = u"Default Applications"_s;
const QString addedGroup = u"Added Associations"_s;
const QString removedGroup = u"Removed Associations"_s;
// A list edit takes milliseconds: a lock this old belongs to a program that hangs.
constexpr int staleLockMs = 10000;
constexpr int lockWaitMs = 5000;
constexpr qint64 fileSizeLimit = 16 * 1024 * 1024;
constexpr int symbolicLinkLimit = 40;

// Threads of this process queue here; other processes meet at the lock file.
QMutex writeMutex;
std::function<void()> beforeCommitHook;

[[noreturn]] void fail(qint64 code, const QString& path, const QString& reason)
{
    throw NSError(NSCocoaErrorDomain, code,
                  u"The file “%1” couldn’t be saved: %2"_s.arg(QFileInfo(path).fileName(), reason), {}, path);
}

QString linkTarget(const QString& path)
{
    QString current = path;
    for (int i = 0; i < symbolicLinkLimit; ++i) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
    }
    fail(NSFileReadUnknownError, path, u"too many levels of symbolic links."_s);
}

QStringList listOf(const KeyFileDocument& document, const QString& group, const QString& key)
{
    return KeyFileDocument::splitList(document.value(group, key).value_or(QString()));
}

void setDefaultIn(KeyFileDocument& document, const QString& type, const QStringList& aliases, const QString& id)
{
    const QStringList current = listOf(document, defaultGroup, type);
    QStringList defaults{id};
    for (const QString& other : current)
        if (!defaults.contains(other))
            defaults.append(other);
    // A stale alias entry would win over the type's own entry when it comes first in the file.
    bool aliasFound = false;
    for (const QString& key : document.keys(defaultGroup)) {
        // An entry that cannot be read decides nothing, so it is kept as it is.
        if (!aliases.contains(key) || key == type || !document.value(defaultGroup, key))
            continue;
        for (const QString& other : listOf(document, defaultGroup, key))
            if (!defaults.contains(other))
                defaults.append(other);
        document.remove(defaultGroup, key);
        aliasFound = true;
    }
    if (defaults != current || aliasFound || !document.value(defaultGroup, type))
        document.setValue(defaultGroup, type, KeyFileDocument::joinList(defaults));

    QStringList added = listOf(document, addedGroup, type);
    if (!added.contains(id)) {
        added.append(id);
        document.setValue(addedGroup, type, KeyFileDocument::joinList(added));
    }

    for (const QString& key : QStringList{type} + aliases) {
        QStringList removed = listOf(document, removedGroup, key);
        if (removed.removeAll(id) == 0)
            continue;
        if (removed.isEmpty())
            document.remove(removedGroup, key);
        else
            document.setValue(removedGroup, key, KeyFileDocument::joinList(removed));
    }
}

} // namespace

void MimeAppsWriter::setBeforeCommitHook(std::function<void()> hook)
{
    QMutexLocker locker(&writeMutex);
    beforeCommitHook = std::move(hook);
}

void MimeAppsWriter::setDefault(const XdgEnvironment& environment, const QString& canonicalType,
                                const QStringList& aliasesOfType, const QString& desktopId)
{
    QMutexLocker locker(&writeMutex);
    const QString path = linkTarget(environment.userMimeAppsList());
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        fail(NSFileWriteUnknownError, path, u"its folder could not be created."_s);

    QLockFile lock(path + u".lock"_s);
    lock.setStaleLockTime(staleLockMs);
    if (!lock.tryLock(lockWaitMs))
        fail(NSFileWriteUnknownError, path, u"another program keeps it locked."_s);

    // A file that cannot be read whole, or does not read as a key file, is left alone rather than replaced.
    const QFileInfo info(path);
    const bool exists = info.exists();
    QByteArray original;
    if (exists) {
        FileStamp stamp;
        const std::optional<QByteArray> bytes =
            info.isFile() ? FileStamp::read(path, fileSizeLimit, stamp) : std::nullopt;
        if (!bytes)
            throw NSError(NSCocoaErrorDomain, NSFileReadUnknownError,
                          u"The file “%1” couldn’t be read."_s.arg(info.fileName()), {}, path);
        original = *bytes;
    }
    KeyFileDocument document = KeyFileDocument::parse(original);
    if (!document.isWellFormed())
        throw NSError(NSCocoaErrorDomain, NSFileReadUnknownError,
                      u"The file “%1” isn’t a list of applications that can be edited."_s.arg(info.fileName()), {},
                      path);

    setDefaultIn(document, canonicalType, aliasesOfType, desktopId);
    const QByteArray contents = document.toByteArray();
    if (exists && contents == original)
        return;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(NSFileWriteUnknownError, path, file.errorString());
    // Other users have no business reading which programs this one uses, as GLib has it.
    if (!exists && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        fail(NSFileWriteUnknownError, path, file.errorString());
    if (file.write(contents) != contents.size() || !file.flush())
        fail(NSFileWriteUnknownError, path, file.errorString());
    if (beforeCommitHook)
        beforeCommitHook();
    if (!file.commit())
        fail(NSFileWriteUnknownError, path, file.errorString());
}

} // namespace tessik::platform
