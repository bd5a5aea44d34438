#include "file_manager.h"

#include "backend.h"
#include "file_stamp.h"
#include "ns_error.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace tessik::platform {

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Whether a folder is a package: its extension is one of a bundle or a document package. What it holds does
// not matter, as on a real Mac without package metadata.
bool isPackageFolder(const QFileInfo& folder)
{
    static const QStringList bundleExtensions{
        u"app"_s,      u"appex"_s,         u"bundle"_s,      u"framework"_s,  u"plugin"_s,     u"kext"_s,  u"xpc"_s,
        u"prefpane"_s, u"saver"_s,         u"qlgenerator"_s, u"mdimporter"_s, u"rtfd"_s,       u"pages"_s, u"numbers"_s,
        u"key"_s,      u"photoslibrary"_s, u"xcodeproj"_s,   u"xcarchive"_s,  u"playground"_s, u"wdgt"_s};
    return bundleExtensions.contains(folder.suffix(), Qt::CaseInsensitive);
}

} // namespace

class DirectoryWalk
{
public:
    DirectoryWalk(const QString& root, DirectoryEnumerator::Options options) : m_options(options) { descend(root); }

    std::optional<QUrl> next()
    {
        while (!m_levels.empty()) {
            Level& level = m_levels.back();
            if (level.next == level.entries.size()) {
                m_levels.pop_back();
                continue;
            }
            const QFileInfo info = level.entries.at(level.next++);
            if (m_options.testFlag(DirectoryEnumerator::SkipsHiddenFiles) && info.fileName().startsWith(u'.'))
                continue;
            if (info.isDir() && !info.isSymLink() &&
                !m_options.testFlag(DirectoryEnumerator::SkipsSubdirectoryDescendants) &&
                !(m_options.testFlag(DirectoryEnumerator::SkipsPackageDescendants) && isPackageFolder(info)))
                descend(info.filePath());
            return QUrl::fromLocalFile(info.filePath());
        }
        return std::nullopt;
    }

private:
    struct Level
    {
        QFileInfoList entries;
        qsizetype next = 0;
    };

    void descend(const QString& path)
    {
        // The iterator's entries carry the directory listing's file kinds, so listing costs no stat per item.
        // An unreadable folder lists nothing, which is all a walk can do with it.
        std::vector<std::pair<QString, QFileInfo>> named;
        QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        while (it.hasNext()) {
            it.next();
            named.emplace_back(it.fileName(), it.fileInfo());
        }
        std::sort(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        Level level;
        level.entries.reserve(qsizetype(named.size()));
        for (auto& entry : named)
            level.entries.append(std::move(entry.second));
        m_levels.push_back(std::move(level));
    }

    DirectoryEnumerator::Options m_options;
    std::vector<Level> m_levels;
};

DirectoryEnumerator::DirectoryEnumerator(const QString& rootPath, Options options)
    : m_walk(std::make_unique<DirectoryWalk>(rootPath, options))
{
}

DirectoryEnumerator::~DirectoryEnumerator() = default;
DirectoryEnumerator::DirectoryEnumerator(DirectoryEnumerator&&) noexcept = default;
DirectoryEnumerator& DirectoryEnumerator::operator=(DirectoryEnumerator&&) noexcept = default;

std::optional<QUrl> DirectoryEnumerator::nextObject()
{
    return m_walk->next();
}

bool FileManager::fileExists(const QString& path)
{
    return QFileInfo::exists(path);
}

QUrl FileManager::homeDirectoryForCurrentUser()
{
    return Backend::current().homeDirectory();
}

QUrl FileManager::applicationSupportDirectory()
{
    return Backend::current().applicationSupportDirectory();
}

QList<QUrl> FileManager::applicationDirectories()
{
    return Backend::current().applicationDirectories();
}

bool FileManager::isApplication(const QUrl& url)
{
    return Backend::current().isApplication(url);
}

std::optional<DirectoryEnumerator> FileManager::enumerator(const QUrl& url, DirectoryEnumerator::Options options)
{
    const QFileInfo root(url.toLocalFile());
    if (!url.isLocalFile() || !root.isDir() || !root.isReadable())
        return std::nullopt;
    return DirectoryEnumerator(root.filePath(), options);
}

bool FileManager::isPackage(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && isPackageFolder(info);
}

QByteArray FileManager::contentsOfFile(const QUrl& url, qint64 maximumBytes)
{
    const QString path = url.scheme() == u"qrc"_s ? u':' + url.path() : url.toLocalFile();
    QFile file(path);
    if (!file.exists())
        throw NSError(
            NSCocoaErrorDomain, NSFileReadNoSuchFileError,
            u"The file “%1” couldn’t be opened because there is no such file."_s.arg(QFileInfo(path).fileName()), {},
            path);
    // A pipe or device is never opened: opening a pipe waits for a writer that may never come.
    if (!path.startsWith(u':') && !FileStamp::isMissingOrRegular(path))
        throw NSError(NSCocoaErrorDomain, NSFileReadUnknownError,
                      u"The file “%1” couldn’t be opened because it isn’t a regular file."_s.arg(
                          QFileInfo(path).fileName()),
                      {}, path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw NSError(
            NSCocoaErrorDomain,
            file.error() == QFileDevice::PermissionsError ? NSFileReadNoPermissionError : NSFileReadUnknownError,
            u"The file “%1” couldn’t be opened: %2"_s.arg(QFileInfo(path).fileName(), file.errorString()), {}, path);
    QByteArray data = maximumBytes < 0 ? file.readAll() : file.read(maximumBytes);
    if (file.error() != QFileDevice::NoError)
        throw NSError(NSCocoaErrorDomain, NSFileReadUnknownError,
                      u"The file “%1” couldn’t be read: %2"_s.arg(QFileInfo(path).fileName(), file.errorString()), {},
                      path);
    return data;
}

bool FileManager::createDirectory(const QUrl& url)
{
    const QString path = QDir::cleanPath(url.toLocalFile());
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent == path || !createDirectory(QUrl::fromLocalFile(parent)))
        return false;
    return QDir().mkdir(path, ownerOnly | QFileDevice::ExeOwner) || QFileInfo(path).isDir();
}

bool FileManager::createFile(const QUrl& url)
{
    const QString path = url.toLocalFile();
    if (!createDirectory(QUrl::fromLocalFile(QFileInfo(path).absolutePath())))
        return false;
    QFile file(path);
    // NewOnly: whatever is there, a pipe included, is left alone and never opened.
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly) || QFileInfo::exists(path) ||
           QFileInfo(path).isSymLink();
}

void FileManager::writeAtomically(const QByteArray& data, const QUrl& url)
{
    const QString path = url.toLocalFile();
    if (!createDirectory(QUrl::fromLocalFile(QFileInfo(path).absolutePath())))
        throw NSError(NSCocoaErrorDomain, NSFileWriteUnknownError,
                      u"The folder for “%1” could not be created."_s.arg(QFileInfo(path).fileName()), {}, path);
    QSaveFile file(path);
    // A replaced file keeps its permissions; a new one is the user's alone.
    const bool exists = QFileInfo::exists(path);
    if (!file.open(QIODevice::WriteOnly) || (!exists && !file.setPermissions(ownerOnly)) ||
        file.write(data) != data.size() || !file.commit())
        throw NSError(NSCocoaErrorDomain, NSFileWriteUnknownError,
                      u"“%1” could not be saved: %2"_s.arg(QFileInfo(path).fileName(), file.errorString()), {}, path);
}

} // namespace tessik::platform
