#include "mime_apps_writer.h"

#include "mime_apps_groups.h"
#include "platform/file_lock.h"
#include "platform/file_stamp.h"
#include "platform/ns_error.h"
#include "platform/xdg/key_file_document.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

// A list edit takes milliseconds: a lock this old belongs to a program that hangs.
constexpr std::chrono::milliseconds staleLock(10000);
constexpr std::chrono::milliseconds lockWait(5000);
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
    // The entries of the type and of its aliases are read as one list in file order; they stay so behind the new
    // default, under the type's own key, as a stale alias entry that comes first would otherwise win.
    QStringList defaults{id};
    bool aliasFound = false;
    for (const QString& key : document.keys(MimeAppsGroups::defaults)) {
        // An entry that cannot be read decides nothing, so an alias one is kept as it is.
        const std::optional<QString> value = document.value(MimeAppsGroups::defaults, key);
        if ((key != type && !aliases.contains(key)) || !value)
            continue;
        for (const QString& other : KeyFileDocument::splitList(*value))
            if (!defaults.contains(other))
                defaults.append(other);
        if (key != type) {
            document.remove(MimeAppsGroups::defaults, key);
            aliasFound = true;
        }
    }
    if (aliasFound || listOf(document, MimeAppsGroups::defaults, type) != defaults ||
        !document.value(MimeAppsGroups::defaults, type))
        document.setValue(MimeAppsGroups::defaults, type, KeyFileDocument::joinList(defaults));

    QStringList added = listOf(document, MimeAppsGroups::added, type);
    if (!added.contains(id)) {
        added.append(id);
        document.setValue(MimeAppsGroups::added, type, KeyFileDocument::joinList(added));
    }

    for (const QString& key : QStringList{type} + aliases) {
        QStringList removed = listOf(document, MimeAppsGroups::removed, key);
        if (removed.removeAll(id) == 0)
            continue;
        if (removed.isEmpty())
            document.remove(MimeAppsGroups::removed, key);
        else
            document.setValue(MimeAppsGroups::removed, key, KeyFileDocument::joinList(removed));
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
    if (!XdgEnvironment::createDirectory(QFileInfo(path).absolutePath()))
        fail(NSFileWriteUnknownError, path, u"its folder could not be created."_s);

    const FileLock lock(path + u".lock"_s, staleLock, lockWait);
    if (!lock.isLocked())
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
