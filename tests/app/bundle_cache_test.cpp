#include "app/model/catalog_loader.h"
#include "core/discovery/app_scanner.h"
#include "platform/backend.h"
#include "platform/bundle.h"
#include "platform/emulated/application_registry.h"
#include "platform/emulated/bundle_cache.h"
#include "platform/emulated/bundle_cache_file.h"
#include "platform/emulated/property_list.h"
#include "systemwriter/demo_system.h"
#include "systemwriter/synthetic_system.h"
#include "systemwriter/system_root_writer.h"
#include "temporary_system.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::testing::TemporarySystem;

namespace {

// Files written an hour ago: their stamps tell every later change, so the cache keeps them (a file written just
// now is read again by the next process).
void writtenLongAgo(const QString& root)
{
    ASSERT_NO_THROW(tools::SystemRootWriter::backdate(root));
}

// What a new process finds: nothing read yet but what the cache file holds.
LoadedCatalog startAgain()
{
    platform::clearBundleCache();
    platform::ApplicationRegistry::shared().invalidate();
    return CatalogLoader::load({}, FormatKnowledgeBase::bundled());
}

QString cacheFile()
{
    return platform::Backend::current().bundleCacheFile();
}

const InstalledApp* find(const QList<InstalledApp>& apps, const QString& identifier)
{
    const auto found = std::find_if(apps.begin(), apps.end(),
                                    [&](const InstalledApp& app) { return app.bundleIdentifier == identifier; });
    return found == apps.end() ? nullptr : &*found;
}

void expectSame(const LoadedCatalog& cached, const LoadedCatalog& uncached)
{
    EXPECT_EQ(cached.apps, uncached.apps);
    EXPECT_EQ(cached.suggestions, uncached.suggestions);
    EXPECT_EQ(cached.associations, uncached.associations);
}

} // namespace

TEST(BundleCache, ACachedStartShowsWhatAnUncachedOneShows)
{
    for (const bool demo : {true, false}) {
        TemporarySystem system;
        if (demo)
            tools::DemoSystem::write(system.root(), {u"zh-Hans"_s});
        else
            tools::SyntheticSystem::write(system.root(), 300, 11);
        writtenLongAgo(system.root());
        ASSERT_FALSE(QFileInfo::exists(cacheFile()));

        const LoadedCatalog uncached = startAgain();
        ASSERT_GT(uncached.apps.size(), 10);
        ASSERT_TRUE(QFileInfo(cacheFile()).size() > 0);
        expectSame(startAgain(), uncached);
    }
}

TEST(BundleCache, AnEditedBundleIsReadAgainAndADamagedCacheIsThrownAway)
{
    TemporarySystem system;
    const QString bundle =
        system.addApp(u"Applications/Alpha.app"_s, u"com.example.First"_s, {}, {{u"CFBundleName"_s, u"Alpha"_s}});
    system.addApp(u"Applications/Other.app"_s, u"com.example.Other"_s, {}, {{u"CFBundleName"_s, u"Other"_s}});
    writtenLongAgo(system.root());
    const QString info = bundle + u"/Contents/Info.plist"_s;
    ASSERT_EQ(find(startAgain().apps, u"com.example.First"_s)->name, u"Alpha"_s);

    // The same size and the same file, but a new modification time: read again.
    const auto rewrite = [&](const QByteArray& from, const QByteArray& to) {
        QFile file(info);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray text = file.readAll();
        ASSERT_TRUE(text.contains(from));
        text.replace(from, to);
        ASSERT_TRUE(file.seek(0));
        ASSERT_EQ(file.write(text), text.size());
    };
    rewrite("Alpha", "Bravo");
    EXPECT_EQ(find(startAgain().apps, u"com.example.First"_s)->name, u"Bravo"_s);

    // Only the stamps decide: a change that keeps every one of them goes unseen, which shows the cache served.
    writtenLongAgo(system.root());
    startAgain();
    struct stat before;
    ASSERT_EQ(::stat(QFile::encodeName(info).constData(), &before), 0);
    rewrite("Bravo", "Delta");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(info).constData(), times, 0), 0);
    EXPECT_EQ(find(startAgain().apps, u"com.example.First"_s)->name, u"Bravo"_s);

    // A cache cut short or with a changed byte is not read at all, so the bundle is read from disk again.
    for (const bool truncate : {true, false}) {
        QFile cache(cacheFile());
        ASSERT_TRUE(cache.open(QIODevice::ReadWrite));
        const qint64 size = cache.size();
        if (truncate) {
            ASSERT_TRUE(cache.resize(size / 2));
        } else {
            ASSERT_TRUE(cache.seek(size / 3));
            char byte = 0;
            ASSERT_TRUE(cache.getChar(&byte));
            ASSERT_TRUE(cache.seek(size / 3));
            ASSERT_TRUE(cache.putChar(char(byte ^ 0x20)));
        }
        cache.close();
        const LoadedCatalog restarted = startAgain();
        ASSERT_EQ(restarted.apps.size(), 2);
        ASSERT_TRUE(find(restarted.apps, u"com.example.First"_s));
        EXPECT_EQ(find(restarted.apps, u"com.example.First"_s)->name, u"Delta"_s);
        writtenLongAgo(system.root());
        startAgain();
    }
}

TEST(BundleCache, EveryKindOfValueComesBackAndADamagedEntryNeverDecodes)
{
    TemporarySystem system;
    const QString bundle = system.root() + u"/Applications/Ünïcode 名前.app"_s;
    platform::CachedBundle written;
    written.path = bundle;
    written.url = QUrl::fromLocalFile(bundle);
    written.resourcesPath = bundle + u"/Contents/Resources"_s;
    written.info = QVariantMap{
        {u"CFBundleIdentifier"_s, u"com.example.名前"_s},
        {u"Empty"_s, QString()},
        {u"Flag"_s, true},
        {u"Count"_s, qlonglong(-42)},
        {u"Big"_s, qulonglong(0xfedcba9876543210ULL)},
        {u"Ratio"_s, -0.125},
        {u"Bytes"_s, QByteArray("a\0b", 3)},
        {u"When"_s, QDateTime::fromMSecsSinceEpoch(1234567890123, Qt::UTC)},
        {u"Nothing"_s, QVariant()},
        {u"CFBundleDocumentTypes"_s,
         QVariantList{QVariantMap{{u"LSItemContentTypes"_s, QVariantList{u"public.text"_s, u"public.data"_s}}},
                      QVariantList{}, QVariantMap{}}},
    };
    written.localized = QVariantMap{{u"CFBundleName"_s, u"名前"_s}};
    written.stamps = {{bundle + u"/Contents/Info.plist"_s, 1700000000123456789, 512, 77},
                      {system.root() + u"/home/Library/Preferences/.GlobalPreferences.plist"_s, -1, -1, 0}};
    const QString file = system.root() + u"/Bundles.cache"_s;
    platform::BundleCacheFile::write(file, {written});

    const platform::BundleCacheFile::Contents contents = platform::BundleCacheFile::read(file);
    ASSERT_EQ(contents.entries.keys(), QStringList{bundle});
    const QStringList& strings = *contents.strings;
    const auto read = platform::BundleCacheFile::decode(contents.entries.value(bundle), strings);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->path, written.path);
    EXPECT_EQ(read->url, written.url);
    EXPECT_EQ(read->resourcesPath, written.resourcesPath);
    EXPECT_EQ(read->info, written.info);
    EXPECT_EQ(read->localized, written.localized);
    EXPECT_EQ(read->stamps, written.stamps);

    // An entry cut anywhere, or with any byte changed, decodes to nothing or to values of its own; never past its end.
    const QByteArray entry = contents.entries.value(bundle);
    for (qsizetype size = 0; size < entry.size(); ++size)
        EXPECT_FALSE(platform::BundleCacheFile::decode(QByteArrayView(entry).first(size), strings)) << size;
    for (qsizetype at = 0; at < entry.size(); ++at) {
        QByteArray damaged = entry;
        damaged[at] = char(damaged[at] ^ 0xff);
        platform::BundleCacheFile::decode(damaged, strings);
    }
}

TEST(BundleCache, ABundleOpenedAgainAtOnceIsCheckedAgain)
{
    TemporarySystem system;
    const QString bundle = system.addApp(u"Applications/Quick.app"_s, u"com.example.Quick"_s);
    const QUrl url = QUrl::fromLocalFile(bundle);
    // Names of different lengths, so that every rewrite changes the file's size whatever its clock says.
    for (const QString& name : {u"A"_s, u"Bb"_s, u"Ccc"_s, u"Dd"_s, u"E"_s, u"Ffff"_s}) {
        ASSERT_TRUE(platform::Bundle::bundleWithURL(url));
        QFile info(bundle + u"/Contents/Info.plist"_s);
        ASSERT_TRUE(info.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_GT(info.write(platform::PropertyList::write(
                      QVariantMap{{u"CFBundleIdentifier"_s, u"com.example.Quick"_s}, {u"CFBundleName"_s, name}},
                      platform::PropertyList::Format::Xml)),
                  0);
        info.close();
        const auto reopened = platform::Bundle::bundleWithURL(url);
        ASSERT_TRUE(reopened);
        EXPECT_EQ(reopened->objectForInfoDictionaryKey(u"CFBundleName"_s).toString(), name);
    }
}
