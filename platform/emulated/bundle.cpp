#include "../bundle.h"

#include "../backend.h"
#include "../bundle_data.h"
#include "../clock.h"
#include "../file_stamp.h"
#include "../ns_error.h"
#include "../user_defaults.h"
#include "bundle_cache.h"
#include "bundle_cache_file.h"
#include "machine_paths.h"
#include "property_list.h"
#include "strings_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <atomic>
#include <chrono>
#include <limits>

using namespace Qt::StringLiterals;

namespace tessik::platform {
namespace {

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Information dictionaries larger than this are not application metadata.
constexpr qint64 maximumInfoPlistSize = 16 * 1024 * 1024;

// The entries of an information dictionary that anything of the program reads, at any depth: the bundle's identity,
// names, version, icon and localisation; its document types (types, extensions, role, rank); the types it declares;
// its URL schemes.
const QSet<QByteArray>& informationKeys()
{
    static const QSet<QByteArray> keys{"CFBundleIdentifier",         "CFBundleName",       "CFBundleDisplayName",
                                       "CFBundleShortVersionString", "CFBundleIconFile",   "CFBundleDevelopmentRegion",
                                       "CFBundleDocumentTypes",      "LSItemContentTypes", "CFBundleTypeExtensions",
                                       "CFBundleTypeRole",           "LSHandlerRank",      "UTExportedTypeDeclarations",
                                       "UTImportedTypeDeclarations", "UTTypeIdentifier",   "UTTypeDescription",
                                       "UTTypeTagSpecification",     "UTTypeConformsTo",   "public.filename-extension",
                                       "public.mime-type",           "CFBundleURLTypes",   "CFBundleURLSchemes"};
    return keys;
}

// Reads a dictionary file and stamps it; an unreadable or malformed file reads as empty.
QVariantMap readDictionary(const QString& path, bool strings, FileStamp& stamp)
{
    const std::optional<QByteArray> data = FileStamp::read(path, maximumInfoPlistSize, stamp);
    if (!data)
        return {};
    if (strings)
        return StringsFile::parse(*data);
    const std::optional<QVariant> list = PropertyList::read(*data, informationKeys());
    return list && list->typeId() == QMetaType::QVariantMap ? list->toMap() : QVariantMap();
}

// A localisation folder's name as a language tag: legacy English names and underscores are old spellings.
QString languageTag(QString name)
{
    static const QHash<QString, QString> legacy{
        {u"english"_s, u"en"_s},    {u"french"_s, u"fr"_s},     {u"german"_s, u"de"_s},     {u"japanese"_s, u"ja"_s},
        {u"spanish"_s, u"es"_s},    {u"italian"_s, u"it"_s},    {u"dutch"_s, u"nl"_s},      {u"korean"_s, u"ko"_s},
        {u"zh_cn"_s, u"zh-hans"_s}, {u"zh-cn"_s, u"zh-hans"_s}, {u"zh_tw"_s, u"zh-hant"_s}, {u"zh-tw"_s, u"zh-hant"_s},
        {u"zh_hk"_s, u"zh-hant"_s}, {u"zh-hk"_s, u"zh-hant"_s}};
    name = name.toLower();
    return legacy.value(name, name.replace(u'_', u'-'));
}

// The localisation folder ("zh-Hans.lproj") that best serves the preferred languages: an exact tag, then the same tag
// with its region dropped, then the same language (never across Chinese scripts).
QString chooseLocalization(const QStringList& available, const QStringList& preferred, const QString& development)
{
    auto tagOf = [](const QString& folder) { return languageTag(folder.chopped(6)); };
    auto find = [&](const QString& wanted) -> QString {
        for (const QString& folder : available)
            if (tagOf(folder) == wanted)
                return folder;
        return {};
    };
    for (const QString& language : preferred) {
        QString tag = languageTag(language);
        while (!tag.isEmpty()) {
            if (const QString found = find(tag); !found.isEmpty())
                return found;
            const qsizetype dash = tag.lastIndexOf(u'-');
            tag = dash < 0 ? QString() : tag.left(dash);
        }
        const QString primary = languageTag(language).section(u'-', 0, 0);
        if (primary == u"zh"_s)
            continue;
        for (const QString& folder : available)
            if (tagOf(folder).section(u'-', 0, 0) == primary)
                return folder;
    }
    for (const QString& fallback : {languageTag(development), u"en"_s, u"base"_s})
        if (const QString found = find(fallback); !found.isEmpty())
            return found;
    return {};
}

} // namespace

struct BundleContents : BundleData
{
    QString path;
    std::vector<FileStamp> stamps;
    // When the files were read (ms since the epoch).
    qint64 readAtMs = 0;
    // When the files were last read or found unchanged, on the steady clock (ms).
    mutable std::atomic<qint64> verifiedAtMs = 0;

    bool isCurrent() const
    {
        return std::all_of(stamps.begin(), stamps.end(), [](const FileStamp& s) { return s.isCurrent(); });
    }

    // Whether the stamps tell every later change of the files: a file changed within a tick of the file system's
    // clock of its reading could change again unseen, keeping its stamp (FAT's tick is two seconds).
    bool isSettled() const
    {
        constexpr qint64 tickMs = 2000;
        return std::all_of(stamps.begin(), stamps.end(),
                           [this](const FileStamp& s) { return s.modifiedNs / 1000000 < readAtMs - tickMs; });
    }

    CachedBundle cached() const { return {url, path, info, localized, resourcesPath, stamps}; }

    // An entry of the cache file; nothing when it does not decode.
    static std::shared_ptr<const BundleContents> decoded(QByteArrayView entry, const QStringList& strings)
    {
        std::optional<CachedBundle> cached = BundleCacheFile::decode(entry, strings);
        if (!cached)
            return nullptr;
        auto contents = std::make_shared<BundleContents>();
        contents->url = std::move(cached->url);
        contents->path = std::move(cached->path);
        contents->info = std::move(cached->info);
        contents->localized = std::move(cached->localized);
        contents->resourcesPath = std::move(cached->resourcesPath);
        contents->stamps = std::move(cached->stamps);
        // Only settled entries are written.
        contents->readAtMs = std::numeric_limits<qint64>::max();
        return contents;
    }

    static std::shared_ptr<const BundleContents> load(const QUrl& url, const QString& path)
    {
        auto contents = std::make_shared<BundleContents>();
        contents->verifiedAtMs = steadyMs();
        contents->readAtMs = Clock::now().toMSecsSinceEpoch();
        contents->url = url;
        contents->path = path;
        const QString resources = path + u"/Contents/Resources"_s;
        contents->resourcesPath = resources;
        FileStamp info;
        contents->info = readDictionary(path + u"/Contents/Info.plist"_s, false, info);
        const FileStamp resourcesStamp = FileStamp::of(resources);
        contents->stamps = {info, resourcesStamp};
        // Without an Info.plist only the folder itself tells whether the bundle is there.
        if (!info.exists()) {
            if (!QFileInfo(path).isDir())
                return nullptr;
            contents->stamps.push_back(FileStamp::of(path));
        }

        // A name filter would compile a pattern for every bundle; the suffix test is all that is needed.
        QStringList folders;
        if (resourcesStamp.exists()) {
            QDirIterator it(resources, QDir::Dirs | QDir::NoDotAndDotDot);
            while (it.hasNext()) {
                it.next();
                if (it.fileName().endsWith(u".lproj"_s))
                    folders.append(it.fileName());
            }
            folders.sort();
        }
        if (folders.isEmpty())
            return contents;
        // Only a localised bundle depends on the user's languages.
        contents->stamps.push_back(FileStamp::of(MachinePaths::globalPreferences()));
        const QStringList preferred = UserDefaults::preferredLanguages();
        const QString chosen =
            chooseLocalization(folders, preferred, contents->info.value(u"CFBundleDevelopmentRegion"_s).toString());
        if (chosen.isEmpty())
            return contents;
        FileStamp strings;
        contents->localized = readDictionary(resources + u'/' + chosen + u"/InfoPlist.strings"_s, true, strings);
        contents->stamps.push_back(FileStamp::of(resources + u'/' + chosen));
        contents->stamps.push_back(strings);
        return contents;
    }
};

namespace {

// What this process read of the bundles, and what the cache file of the user it serves held.
struct BundleCache
{
    QMutex mutex;
    QHash<QString, std::shared_ptr<const BundleContents>> bundles;
    // The cache file the entries below belong to; they are read again when the system root (or user) changes.
    QString file;
    bool fileRead = false;
    // Entries of the file not yet asked for, still encoded, and the strings they share.
    QHash<QString, QByteArray> unclaimed;
    std::shared_ptr<const QStringList> strings;
    // The bundles opened since the file was read, as the next file should hold them.
    QHash<QString, std::shared_ptr<const BundleContents>> opened;
    qsizetype entriesInFile = 0;
    bool openedChanged = false;

    // Follows the backend's cache file; the first opening for a file reads it.
    void useFile(const QString& path)
    {
        if (path == file && fileRead)
            return;
        file = path;
        fileRead = true;
        opened.clear();
        openedChanged = false;
        BundleCacheFile::Contents contents = path.isEmpty() ? BundleCacheFile::Contents() : BundleCacheFile::read(path);
        unclaimed = std::move(contents.entries);
        strings = std::move(contents.strings);
        entriesInFile = unclaimed.size();
    }

    void noteOpened(const QString& path, const std::shared_ptr<const BundleContents>& contents, bool fresh)
    {
        if (file.isEmpty())
            return;
        const auto known = opened.constFind(path);
        if (known != opened.cend() && *known == contents)
            return;
        opened.insert(path, contents);
        openedChanged = openedChanged || fresh;
    }
};

BundleCache& bundleCacheStorage()
{
    // Never destroyed: freeing every dictionary read would only hold up the end of the process.
    static BundleCache& cache = *new BundleCache;
    return cache;
}

} // namespace

void clearBundleCache()
{
    BundleCache& cache = bundleCacheStorage();
    QMutexLocker locker(&cache.mutex);
    cache.bundles.clear();
    // As for a new process: the cache file is read again.
    cache.fileRead = false;
}

std::shared_ptr<const BundleData> openEmulatedBundle(const QUrl& url)
{
    std::vector<FileStamp> stamps;
    return openEmulatedBundle(url, 0, stamps);
}

std::shared_ptr<const BundleData> openEmulatedBundle(const QUrl& url, qint64 trustedForMs,
                                                     std::vector<FileStamp>& stamps)
{
    if (!url.isLocalFile())
        return nullptr;
    const QString path = QDir::cleanPath(url.toLocalFile());
    const QString cacheFile = Backend::current().bundleCacheFile();

    // Like NSBundle, keep what was read; unlike it, read again when the files changed.
    BundleCache& cache = bundleCacheStorage();
    std::shared_ptr<const BundleContents> known;
    QByteArray encoded;
    std::shared_ptr<const QStringList> strings;
    {
        QMutexLocker locker(&cache.mutex);
        cache.useFile(cacheFile);
        known = cache.bundles.value(path);
        if (!known) {
            encoded = cache.unclaimed.take(path);
            strings = cache.strings;
        }
    }
    // Decoded and checked against the disk outside the lock, so that the scan's threads do it side by side.
    if (!known && !encoded.isEmpty())
        known = BundleContents::decoded(encoded, *strings);
    const auto current = [trustedForMs](const BundleContents& contents) {
        const qint64 now = steadyMs();
        if (trustedForMs > 0 && now - contents.verifiedAtMs <= trustedForMs)
            return true;
        if (!contents.isCurrent())
            return false;
        contents.verifiedAtMs = now;
        return true;
    };
    const bool reused = known && known->url == url && current(*known);
    auto contents = reused ? known : BundleContents::load(url, path);
    if (!contents)
        return nullptr;
    QMutexLocker locker(&cache.mutex);
    // Another thread may have read the bundle afresh meanwhile; what was kept is never put back over it.
    if (const auto newer = cache.bundles.value(path); reused && newer && newer != known)
        contents = newer;
    cache.bundles.insert(path, contents);
    if (cache.file == cacheFile)
        cache.noteOpened(path, contents, !reused);
    stamps = contents->stamps;
    return contents;
}

void keepOpenedBundles()
{
    BundleCache& cache = bundleCacheStorage();
    std::vector<CachedBundle> entries;
    QString file;
    {
        QMutexLocker locker(&cache.mutex);
        // Nothing new read, nothing gone: the file says it all already.
        if (cache.file.isEmpty() || (!cache.openedChanged && cache.opened.size() == cache.entriesInFile))
            return;
        file = cache.file;
        for (const auto& contents : std::as_const(cache.opened))
            if (contents->isSettled())
                entries.push_back(contents->cached());
        cache.openedChanged = false;
        cache.entriesInFile = cache.opened.size();
    }
    // The cache only saves time: a file that cannot be written costs the next start its parsing, nothing more.
    try {
        BundleCacheFile::write(file, entries);
    } catch (const NSError&) {
    }
}

bool isApplicationBundle(const QUrl& url)
{
    if (!url.isLocalFile())
        return false;
    const QFileInfo info(QDir::cleanPath(url.toLocalFile()));
    return info.suffix() == u"app"_s && info.isDir();
}

std::optional<QString> bundleIconFile(const QUrl& bundleURL)
{
    auto contents = openEmulatedBundle(bundleURL);
    if (!contents)
        return std::nullopt;
    const Bundle bundle(std::move(contents));
    const QVariant iconFile = bundle.infoDictionary().value(u"CFBundleIconFile"_s);
    if (iconFile.typeId() != QMetaType::QString)
        return std::nullopt;
    const auto url = bundle.urlForResource(iconFile.toString(), u"icns"_s);
    return url ? std::optional<QString>(url->toLocalFile()) : std::nullopt;
}

} // namespace tessik::platform
