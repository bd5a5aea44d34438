#include "mime_apps_lookup.h"

#include "mime_apps_groups.h"
#include "platform/file_stamp.h"
#include "platform/xdg/key_file_document.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

constexpr qint64 fileSizeLimit = 16 * 1024 * 1024;

// A desktop ID in a list, and the key it was listed under.
struct Listed
{
    QString id;
    QString key;
};

// Group name → canonical type → desktop IDs. Keys that unalias to one type add up in file order.
using TypeLists = QHash<QString, QHash<QString, QList<Listed>>>;

} // namespace

class MimeAppsLookup::FileCache
{
public:
    explicit FileCache(Canonicalizer canonical) : m_canonical(std::move(canonical)) {}

    QList<Listed> ids(const QString& path, const QString& group, const QString& type)
    {
        QMutexLocker locker(&m_mutex);
        const FileStamp stamp = FileStamp::of(path);
        auto entry = m_entries.find(path);
        if (entry == m_entries.end() || entry->stamp != stamp)
            entry = m_entries.insert(path, load(path, stamp));
        return entry->lists.value(group).value(type);
    }

    qint64 reads() const
    {
        QMutexLocker locker(&m_mutex);
        return m_reads;
    }

private:
    struct Entry
    {
        FileStamp stamp;
        TypeLists lists;
    };

    Entry load(const QString& path, const FileStamp& stamp)
    {
        Entry entry{stamp, {}};
        // A pipe or device at the path is never opened; a missing, unreadable or malformed file adds nothing.
        if (!stamp.exists() || !QFileInfo(path).isFile())
            return entry;
        ++m_reads;
        const std::optional<QByteArray> bytes = FileStamp::read(path, fileSizeLimit, entry.stamp);
        if (!bytes)
            return entry;
        const KeyFileDocument document = KeyFileDocument::parse(*bytes);
        if (!document.isWellFormed())
            return entry;
        // Lists of thousands of IDs are looked through by set, never by scanning the list per ID.
        QHash<std::pair<QString, QString>, QSet<QString>> listed;
        for (const QString& group : document.groups()) {
            QHash<QString, QList<Listed>>& lists = entry.lists[group];
            for (const QString& key : document.keys(group)) {
                // A value that cannot be read leaves no trace, not even an empty entry.
                const std::optional<QString> value = document.value(group, key);
                const std::optional<QStringList> ids = value ? KeyFileDocument::splitList(*value) : std::nullopt;
                if (!ids)
                    continue;
                const QString type = m_canonical(key);
                QList<Listed>& list = lists[type];
                QSet<QString>& seen = listed[std::pair(group, type)];
                for (const QString& id : *ids)
                    if (!seen.contains(id)) {
                        seen.insert(id);
                        list.append({id, key});
                    }
            }
        }
        return entry;
    }

    Canonicalizer m_canonical;
    mutable QMutex m_mutex;
    QHash<QString, Entry> m_entries;
    qint64 m_reads = 0;
};

MimeAppsLookup::MimeAppsLookup(InstalledCheck isInstalled, Canonicalizer canonical, OwningFolder owningFolder)
    : m_isInstalled(std::move(isInstalled)), m_owningFolder(std::move(owningFolder)),
      m_cache(std::make_unique<FileCache>(std::move(canonical)))
{
}

MimeAppsLookup::~MimeAppsLookup() = default;

qint64 MimeAppsLookup::fileReads() const
{
    return m_cache->reads();
}

// An application folder speaks only for the desktop files it holds: an ID with a file in an earlier folder, usable
// or not, is not its to associate or take away. A config folder holds none and is never shadowed.
bool MimeAppsLookup::isShadowed(const QString& id, qsizetype folder, const QStringList& applicationDirectories) const
{
    if (folder <= 0)
        return false;
    const qsizetype owner = applicationDirectories.indexOf(m_owningFolder(id));
    return owner >= 0 && owner < folder;
}

QList<MimeAppsLookup::Candidate> MimeAppsLookup::candidates(const XdgEnvironment& environment, const QString& type,
                                                            QHash<QString, QString>& removed) const
{
    const QStringList applicationDirectories = environment.applicationDirectories();
    const QStringList directories = environment.mimeAppsDirectories();
    QList<Candidate> found;
    QSet<QString> foundIds;
    const auto add = [&](const Listed& listed, const QString& file, const QString& group) {
        if (!foundIds.contains(listed.id)) {
            foundIds.insert(listed.id);
            found.append({listed.id, file, group, listed.key, removed.value(listed.id)});
        }
    };

    // Defaults of every file first; desktop-specific files may hold nothing else. A default may name an
    // application of any folder, and no removed association takes it away.
    for (const QString& directory : directories) {
        QStringList files;
        for (const QString& desktop : environment.desktops)
            files.append(directory + u'/' + desktop + u"-mimeapps.list"_s);
        files.append(directory + u"/mimeapps.list"_s);
        if (applicationDirectories.contains(directory))
            files.append(directory + u"/defaults.list"_s);
        for (const QString& file : files)
            for (const Listed& listed : m_cache->ids(file, MimeAppsGroups::defaults, type))
                if (!foundIds.contains(listed.id)) {
                    foundIds.insert(listed.id);
                    found.append({listed.id, file, MimeAppsGroups::defaults, listed.key, {}});
                }
    }

    // Removed associations hide an application from this folder and every folder after it, not from earlier ones.
    // Once removed, an ID stays removed, so its first later entry stands for all of them.
    for (const QString& directory : directories) {
        const qsizetype folder = applicationDirectories.indexOf(directory);
        const QString file = directory + u"/mimeapps.list"_s;
        for (const Listed& listed : m_cache->ids(file, MimeAppsGroups::added, type))
            if (!isShadowed(listed.id, folder, applicationDirectories))
                add(listed, file, MimeAppsGroups::added);
        for (const Listed& listed : m_cache->ids(file, MimeAppsGroups::removed, type))
            if (!isShadowed(listed.id, folder, applicationDirectories) && !removed.contains(listed.id))
                removed.insert(listed.id, file);
        if (folder >= 0) {
            const QString cache = directory + u"/mimeinfo.cache"_s;
            for (const Listed& listed : m_cache->ids(cache, MimeAppsGroups::cache, type))
                if (!isShadowed(listed.id, folder, applicationDirectories))
                    add(listed, cache, MimeAppsGroups::cache);
        }
    }
    return found;
}

std::optional<MimeAppsLookup::Choice> MimeAppsLookup::defaultApplication(const XdgEnvironment& environment,
                                                                         const QStringList& typeChain) const
{
    return decide(environment, typeChain).choice;
}

MimeAppsLookup::Decision MimeAppsLookup::decide(const XdgEnvironment& environment, const QStringList& typeChain) const
{
    Decision decision;
    QHash<QString, QString> removed;
    for (const QString& type : typeChain)
        for (const Candidate& candidate : candidates(environment, type, removed)) {
            if (candidate.removedBy.isEmpty() && m_isInstalled(candidate.desktopId)) {
                decision.choice = Choice{candidate.desktopId, candidate.file};
                decision.group = candidate.group;
                decision.type = type;
                if (candidate.key != type)
                    decision.listedAs = candidate.key;
                return decision;
            }
            decision.passedOver.append(
                {candidate.desktopId, candidate.file, candidate.group, type, candidate.removedBy});
        }
    return decision;
}

QStringList MimeAppsLookup::associatedIds(const XdgEnvironment& environment, const QStringList& typeChain) const
{
    QStringList ids;
    QSet<QString> seen;
    QHash<QString, QString> removed;
    for (const QString& type : typeChain)
        for (const Candidate& candidate : candidates(environment, type, removed))
            if (candidate.removedBy.isEmpty() && !seen.contains(candidate.desktopId)) {
                seen.insert(candidate.desktopId);
                if (m_isInstalled(candidate.desktopId))
                    ids.append(candidate.desktopId);
            }
    return ids;
}

} // namespace tessik::platform
