#include "mime_apps_writer.h"

#include "mime_apps_groups.h"
#include "platform/file_lock.h"
#include "platform/file_manager.h"
#include "platform/file_stamp.h"
#include "platform/ns_error.h"
#include "platform/xdg/key_file_document.h"
#include "platform/xdg/mime_type_name.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

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
    // A list GLib cannot read holds nothing for it; a write replaces it.
    return KeyFileDocument::splitList(document.value(group, key).value_or(QString())).value_or(QStringList());
}

// Line breaks never get this far; a value that would hold one is refused rather than written.
void set(KeyFileDocument& document, const QString& path, const QString& group, const QString& key,
         const QStringList& ids)
{
    if (!document.setValue(group, key, KeyFileDocument::joinList(ids)))
        fail(NSFileWriteUnknownError, path, u"“%1” can’t be written into it."_s.arg(key));
}

// A writer killed between writing its temporary file and renaming it leaves the file behind, named as QSaveFile
// (and GLib) name them. One that young may still be on its way in, from a program that does not take our lock.
void removeStaleTemporaryFiles(const QString& path)
{
    const QFileInfo list(path);
    const QRegularExpression temporary(u"^"_s + QRegularExpression::escape(list.fileName()) + u"\\.[A-Za-z0-9]{6}$"_s);
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addMSecs(-staleLock.count());
    for (const QFileInfo& file : list.dir().entryInfoList({list.fileName() + u".??????"_s}, QDir::Files | QDir::Hidden))
        if (temporary.match(file.fileName()).hasMatch() && !file.isSymLink() && file.lastModified() < staleBefore)
            QFile::remove(file.filePath());
}

void setDefaultIn(KeyFileDocument& document, const QString& path, const QString& type, const QStringList& aliases,
                  const QString& id)
{
    // The entries of the type and of its aliases are read as one list in file order; they stay so behind the new
    // default, under the type's own key, as a stale alias entry that comes first would otherwise win.
    QStringList defaults{id};
    QSet<QString> listed{id};
    bool aliasFound = false;
    for (const QString& key : document.keys(MimeAppsGroups::defaults)) {
        // An entry that cannot be read decides nothing, so an alias one is kept as it is.
        const std::optional<QString> value = document.value(MimeAppsGroups::defaults, key);
        const std::optional<QStringList> ids = value ? KeyFileDocument::splitList(*value) : std::nullopt;
        if ((key != type && !aliases.contains(key)) || !ids)
            continue;
        for (const QString& other : *ids)
            if (!listed.contains(other)) {
                listed.insert(other);
                defaults.append(other);
            }
        if (key != type) {
            document.remove(MimeAppsGroups::defaults, key);
            aliasFound = true;
        }
    }
    if (aliasFound || listOf(document, MimeAppsGroups::defaults, type) != defaults ||
        !document.value(MimeAppsGroups::defaults, type))
        set(document, path, MimeAppsGroups::defaults, type, defaults);

    QStringList added = listOf(document, MimeAppsGroups::added, type);
    if (!added.contains(id)) {
        added.append(id);
        set(document, path, MimeAppsGroups::added, type, added);
    }

    for (const QString& key : QStringList{type} + aliases) {
        QStringList removed = listOf(document, MimeAppsGroups::removed, key);
        if (removed.removeAll(id) == 0)
            continue;
        if (removed.isEmpty())
            document.remove(MimeAppsGroups::removed, key);
        else
            set(document, path, MimeAppsGroups::removed, key, removed);
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
    const QString listPath = environment.userMimeAppsList();
    const QString path = linkTarget(listPath);
    if (!MimeTypeName::isValid(canonicalType))
        fail(NSFileWriteUnknownError, path, u"“%1” isn’t a type name."_s.arg(canonicalType));
    QStringList aliases;
    for (const QString& alias : aliasesOfType)
        if (MimeTypeName::isValid(alias))
            aliases.append(alias);

    // Whatever a link points at is judged before anything is created beside it: a device or folder is no list, and
    // the folders of a dangling link are not ours to make. Judged again under the lock, where it counts.
    const auto existingList = [&path] {
        const QFileInfo info(path);
        if (info.exists() && !info.isFile())
            throw NSError(NSCocoaErrorDomain, NSFileReadUnknownError,
                          u"The file “%1” couldn’t be read."_s.arg(info.fileName()), {}, path);
        return info.exists();
    };
    existingList();
    const QFileInfo info(path);
    if (path == listPath ? !FileManager::createDirectory(QUrl::fromLocalFile(info.absolutePath())) : !info.dir().exists())
        fail(NSFileWriteUnknownError, path, u"its folder could not be created."_s);

    const FileLock lock(path + u".lock"_s, staleLock, lockWait);
    if (!lock.isLocked())
        fail(NSFileWriteUnknownError, path, u"another program keeps it locked."_s);
    removeStaleTemporaryFiles(path);
    const bool exists = existingList();

    // A file that cannot be read whole, or does not read as a key file, is left alone rather than replaced.
    QByteArray original;
    if (exists) {
        FileStamp stamp;
        const std::optional<QByteArray> bytes = FileStamp::read(path, fileSizeLimit, stamp);
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

    setDefaultIn(document, path, canonicalType, aliases, desktopId);
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
