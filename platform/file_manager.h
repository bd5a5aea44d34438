#pragma once

#include <QByteArray>
#include <QFlags>
#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace tessik::platform {

class DirectoryWalk;

// A depth-first walk of a folder tree. Folders that cannot be read are passed over; symbolic links are
// listed but never followed, so a link loop cannot trap the walk.
class DirectoryEnumerator
{
public:
    enum Option
    {
        SkipsSubdirectoryDescendants = 1 << 0,
        SkipsPackageDescendants = 1 << 1,
        SkipsHiddenFiles = 1 << 2,
    };
    Q_DECLARE_FLAGS(Options, Option)

    DirectoryEnumerator(const QString& rootPath, Options options);
    ~DirectoryEnumerator();
    DirectoryEnumerator(DirectoryEnumerator&&) noexcept;
    DirectoryEnumerator& operator=(DirectoryEnumerator&&) noexcept;

    // The next item, or nothing when the walk is over.
    std::optional<QUrl> nextObject();

private:
    std::unique_ptr<DirectoryWalk> m_walk;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DirectoryEnumerator::Options)

// Files, folders and the user's standard locations.
class FileManager
{
public:
    static bool fileExists(const QString& path);
    static QUrl homeDirectoryForCurrentUser();
    // The user-domain Application Support folder.
    static QUrl applicationSupportDirectory();
    // The folders applications are installed in, in the order in which a later copy of an application wins.
    static QList<QUrl> applicationDirectories();
    // Whether the item is an application the system would use (a bundle, or a desktop entry).
    static bool isApplication(const QUrl& url);
    // Nothing when the root is not a readable folder.
    static std::optional<DirectoryEnumerator> enumerator(const QUrl& url, DirectoryEnumerator::Options options);
    // Whether a folder is a package: its name has a bundle or document package extension.
    static bool isPackage(const QString& path);

    // The file's bytes, at most `maximumBytes` of them when that is not negative (so a caller can tell that the
    // file is larger without holding all of it). Throws NSError when the file cannot be read. Also reads the
    // program's own resources (":/" paths and "qrc:" URLs).
    static QByteArray contentsOfFile(const QUrl& url, qint64 maximumBytes = -1);

    // What these create is the user's alone (folders 0700, files 0600), as the desktop's base-directory rules ask;
    // folders and files already there keep their permissions.
    // Creates the folder and its parents; false when that failed.
    static bool createDirectory(const QUrl& url);
    // Creates an empty file, and its folders, unless something is there already; false when that failed.
    static bool createFile(const QUrl& url);
    // Writes through a temporary file that then replaces the target, after creating the folder.
    // Throws NSError when anything fails; the previous file stays in place then.
    static void writeAtomically(const QByteArray& data, const QUrl& url);
};

} // namespace tessik::platform
