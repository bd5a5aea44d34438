#include "desktop_entry_index.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tessik::platform {

std::shared_ptr<const DesktopEntryIndex> DesktopEntryIndex::current()
{
    static QMutex mutex;
    static std::shared_ptr<const DesktopEntryIndex> cached;
    const XdgEnvironment environment = XdgEnvironment::current();
    const QString locale = DesktopEntry::messageLocale();
    QMutexLocker locker(&mutex);
    if (!cached || cached->m_key != cacheKey(environment, locale) || !cached->isCurrent())
        cached = build(environment, locale);
    return cached;
}

std::shared_ptr<const DesktopEntryIndex> DesktopEntryIndex::build(const XdgEnvironment& environment,
                                                                  const QString& locale)
{
    std::shared_ptr<DesktopEntryIndex> index(new DesktopEntryIndex);
    index->m_key = cacheKey(environment, locale);
    for (const QString& folder : environment.applicationDirectories()) {
        QSet<QString> visited;
        QList<std::pair<QString, QString>> files;
        index->collect(folder, QString(), visited, files);
        std::sort(files.begin(), files.end());
        for (const auto& [relativePath, path] : files) {
            QString id = relativePath;
            id.replace(u'/', u'-');
            // Later files of a claimed ID never count, even when the first one is unusable.
            if (index->m_folderOf.contains(id))
                continue;
            index->m_folderOf.insert(id, folder);
            FileStamp stamp;
            std::optional<DesktopEntry> entry = DesktopEntry::read(path, locale, stamp);
            index->m_stamps.push_back(stamp);
            if (!entry || entry->type != u"Application"_s || entry->hidden) {
                index->m_absent.insert(id, entry && entry->hidden ? Absence::hidden : Absence::notStartable);
                continue;
            }
            index->watchProgram(entry->tryExec);
            if (const std::optional<QString> program = entry->execProgram())
                index->watchProgram(*program);
            if (!entry->programsFound()) {
                index->m_absent.insert(id, Absence::notStartable);
                continue;
            }
            index->m_installedIds.append(id);
            index->m_idByPath.insert(path, id);
            index->m_installed.insert(id, {path, std::move(*entry)});
        }
    }
    return index;
}

const DesktopEntry* DesktopEntryIndex::installedEntry(const QString& id) const
{
    const auto found = m_installed.constFind(id);
    return found == m_installed.cend() ? nullptr : &found->entry;
}

QString DesktopEntryIndex::filePath(const QString& id) const
{
    const auto found = m_installed.constFind(id);
    return found == m_installed.cend() ? QString() : found->path;
}

bool DesktopEntryIndex::isCurrent() const
{
    return std::all_of(m_stamps.begin(), m_stamps.end(), [](const FileStamp& stamp) { return stamp.isCurrent(); });
}

void DesktopEntryIndex::collect(const QString& folder, const QString& relativeFolder, QSet<QString>& visited,
                                QList<std::pair<QString, QString>>& files)
{
    // Stamped before listing, so that a change during the walk shows at the next check. A missing folder is
    // stamped as missing, so that creating it shows too.
    m_stamps.push_back(FileStamp::of(folder));
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.insert(canonical);
    const QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    for (const QFileInfo& info : QDir(folder).entryInfoList(filters, QDir::Unsorted)) {
        const QString path = folder + u'/' + info.fileName();
        if (info.isDir())
            collect(path, relativeFolder + info.fileName() + u'/', visited, files);
        else if (info.fileName().endsWith(u".desktop"_s))
            files.append({relativeFolder + info.fileName(), path});
    }
}

// A program appearing or going away changes whether its entry is installed, so its file, or for a bare name the
// folders of $PATH, join the stamps.
void DesktopEntryIndex::watchProgram(const QString& program)
{
    if (program.isEmpty())
        return;
    if (program.contains(u'/')) {
        m_stamps.push_back(FileStamp::of(program));
        return;
    }
    if (m_watchesPath)
        return;
    m_watchesPath = true;
    for (const QString& folder : qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts))
        m_stamps.push_back(FileStamp::of(folder));
}

QStringList DesktopEntryIndex::cacheKey(const XdgEnvironment& environment, const QString& locale)
{
    return QStringList{locale, qEnvironmentVariable("PATH")} + environment.applicationDirectories();
}

} // namespace tessik::platform
