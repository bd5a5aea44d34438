#include "platform/file_manager.h"
#include "platform/ns_error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik::platform;

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

QStringList walk(const QString& root, DirectoryEnumerator::Options options)
{
    QStringList items;
    auto enumerator = FileManager::enumerator(QUrl::fromLocalFile(root), options);
    while (enumerator && items.size() < 1000)
        if (const auto item = enumerator->nextObject())
            items.append(QDir(root).relativeFilePath(item->toLocalFile()));
        else
            break;
    return items;
}

} // namespace

TEST(FileManager, WalksFoldersButNotPackagesHiddenItemsOrLinks)
{
    QTemporaryDir dir;
    touch(dir.filePath(u"A.app/Contents/Info.plist"_s));
    touch(dir.filePath(u"A.app/Contents/Inner.app/Contents/Info.plist"_s));
    touch(dir.filePath(u"Tools/B.app/Contents/Info.plist"_s));
    touch(dir.filePath(u"Tools/X.notapackage/Contents/Info.plist"_s));
    touch(dir.filePath(u".hidden/C.app/Contents/Info.plist"_s));
    touch(dir.filePath(u"Tools/.DS_Store"_s));
    ASSERT_TRUE(QFile::link(dir.path(), dir.filePath(u"Tools/loop"_s)));

    const QStringList items =
        walk(dir.path(), DirectoryEnumerator::SkipsHiddenFiles | DirectoryEnumerator::SkipsPackageDescendants);
    // Only the name makes a package: a folder that merely holds Contents/Info.plist is walked into.
    EXPECT_EQ(items, (QStringList{u"A.app"_s, u"Tools"_s, u"Tools/B.app"_s, u"Tools/X.notapackage"_s,
                                  u"Tools/X.notapackage/Contents"_s, u"Tools/X.notapackage/Contents/Info.plist"_s,
                                  u"Tools/loop"_s}));
    EXPECT_TRUE(FileManager::isPackage(dir.filePath(u"Tools/B.app"_s)));
    EXPECT_FALSE(FileManager::isPackage(dir.filePath(u"Tools/X.notapackage"_s)));
    EXPECT_TRUE(walk(dir.path(), {}).contains(u"A.app/Contents/Inner.app"_s));
    EXPECT_TRUE(walk(dir.path(), {}).contains(u".hidden"_s));
    EXPECT_FALSE(FileManager::enumerator(QUrl::fromLocalFile(dir.filePath(u"missing"_s)), {}));
}

TEST(FileManager, WritesAtomicallyOrLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QUrl target = QUrl::fromLocalFile(dir.filePath(u"deep/er/file.json"_s));
    FileManager::writeAtomically("first", target);
    FileManager::writeAtomically("second", target);
    QFile file(target.toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("second"));
    EXPECT_EQ(QDir(dir.filePath(u"deep/er"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"file.json"_s});

    // A folder in the way: the write fails with an error and nothing is lost.
    ASSERT_TRUE(QDir().mkpath(dir.filePath(u"blocked/file.json"_s)));
    touch(dir.filePath(u"blocked/file.json/keep"_s));
    EXPECT_THROW(FileManager::writeAtomically("x", QUrl::fromLocalFile(dir.filePath(u"blocked/file.json"_s))), NSError);
    EXPECT_TRUE(QFile::exists(dir.filePath(u"blocked/file.json/keep"_s)));
}

TEST(FileManager, ReadErrorsNameTheirFile)
{
    QTemporaryDir dir;
    const QString missing = dir.path() + u"/nothing.json"_s;
    try {
        FileManager::contentsOfFile(QUrl::fromLocalFile(missing));
        FAIL() << "a missing file was read";
    } catch (const NSError& error) {
        EXPECT_EQ(error.code(), NSFileReadNoSuchFileError);
        EXPECT_EQ(error.filePath(), missing);
    }
    try {
        FileManager::contentsOfFile(QUrl::fromLocalFile(dir.path()));
        FAIL() << "a folder was read";
    } catch (const NSError& error) {
        EXPECT_EQ(error.filePath(), dir.path());
    }
}
