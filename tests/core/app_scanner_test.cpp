#include "core/discovery/app_scanner.h"
#include "platform/emulated/bundle_cache.h"
#include "systemwriter/synthetic_system.h"
#include "temporary_system.h"

#include <QDir>
#include <QFile>
#include <QThreadPool>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using tessik::platform::PropertyList;
using tessik::testing::TemporarySystem;

namespace {

QStringList identifiers(const QList<InstalledApp>& apps)
{
    QStringList result;
    for (const InstalledApp& app : apps)
        result.append(app.bundleIdentifier);
    return result;
}

const InstalledApp* find(const QList<InstalledApp>& apps, const QString& identifier)
{
    for (const InstalledApp& app : apps)
        if (app.bundleIdentifier == identifier)
            return &app;
    return nullptr;
}

} // namespace

TEST(AppScanner, FindsEachApplicationOnceWithTheLaterFolderWinning)
{
    TemporarySystem system;
    system.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s,
                  {TemporarySystem::documentType({u"public.plain-text"_s, u"net.daringfireball.markdown"_s}, {}),
                   TemporarySystem::documentType({u"public.plain-text"_s}, {})},
                  {{u"CFBundleName"_s, u"Editor (system)"_s}});
    const QString userCopy = system.addApp(u"home/Applications/Editor.app"_s, u"com.example.Editor"_s, {},
                                           {{u"CFBundleName"_s, u"Editor (mine)"_s}}, PropertyList::Format::Binary);
    system.addApp(u"Applications/Utilities/Deep/Tool.app"_s, u"com.example.Tool"_s);
    system.addApp(u"Applications/Host.app/Contents/Helpers/Nested.app"_s, u"com.example.Nested"_s);
    system.addApp(u"Applications/Host.app"_s, u"com.example.Host"_s);
    system.addApp(u"Applications/Shouting.APP"_s, u"com.example.Shouting"_s);
    system.addApp(u"System/Applications/.Hidden.app"_s, u"com.example.Hidden"_s);
    ASSERT_TRUE(QFile::link(system.root() + u"/Applications"_s, system.root() + u"/Applications/Utilities/loop"_s));

    const QList<InstalledApp> apps = AppScanner().scan();
    EXPECT_EQ(identifiers(apps), (QStringList{u"com.example.Editor"_s, u"com.example.Host"_s, u"com.example.Tool"_s}));
    const InstalledApp* editor = find(apps, u"com.example.Editor"_s);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->url, QUrl::fromLocalFile(userCopy));
    EXPECT_EQ(editor->name, u"Editor (mine)"_s);
    EXPECT_TRUE(editor->supportedTypeIdentifiers.isEmpty());
    EXPECT_EQ(find(apps, u"com.example.Tool"_s)->name, u"Tool"_s) << "no name keys: the file name without .app";

    QDir(system.root() + u"/home/Applications"_s).removeRecursively();
    const QList<InstalledApp> rescanned = AppScanner().scan();
    ASSERT_TRUE(find(rescanned, u"com.example.Editor"_s));
    EXPECT_EQ(find(rescanned, u"com.example.Editor"_s)->supportedTypeIdentifiers,
              (QStringList{u"net.daringfireball.markdown"_s, u"public.plain-text"_s}));
}

TEST(AppScanner, NamesComeFromTheUsersLocalisation)
{
    TemporarySystem system;
    system.writer().setPreferredLanguages({u"zh-Hans-CN"_s, u"en"_s});
    tools::BundleDescription bundle;
    bundle.path = u"System/Applications/Preview.app"_s;
    bundle.info = {{u"CFBundleIdentifier"_s, u"com.apple.Preview"_s}, {u"CFBundleName"_s, u"Preview"_s}};
    bundle.localizedStrings = {{u"en"_s, {{u"CFBundleDisplayName"_s, u"Preview"_s}}},
                               {u"zh_CN"_s, {{u"CFBundleDisplayName"_s, u"预览"_s}}},
                               {u"ja"_s, {{u"CFBundleDisplayName"_s, u"プレビュー"_s}}}};
    system.addBundle(bundle);
    bundle.path = u"Applications/Empty.app"_s;
    bundle.info = {{u"CFBundleIdentifier"_s, u"com.example.Empty"_s}, {u"CFBundleDisplayName"_s, QString()}};
    bundle.localizedStrings.clear();
    system.addBundle(bundle);

    const QList<InstalledApp> apps = AppScanner().scan();
    EXPECT_EQ(find(apps, u"com.apple.Preview"_s)->name, u"预览"_s);
    EXPECT_EQ(find(apps, u"com.example.Empty"_s)->name, QString()) << "an empty name is used as it stands";

    system.writer().setPreferredLanguages({u"ja"_s});
    EXPECT_EQ(find(AppScanner().scan(), u"com.apple.Preview"_s)->name, u"プレビュー"_s);
    system.writer().setPreferredLanguages({u"fr"_s});
    EXPECT_EQ(find(AppScanner().scan(), u"com.apple.Preview"_s)->name, u"Preview"_s);
}

TEST(AppScanner, BrokenBundlesAreSkippedOrReadAsFarAsValid)
{
    TemporarySystem system;
    system.addApp(u"Applications/Good.app"_s, u"com.example.Good"_s);
    const QByteArray valid = PropertyList::write(QVariantMap{{u"CFBundleIdentifier"_s, u"com.example.Broken"_s}},
                                                 PropertyList::Format::Binary);
    const QByteArray deep = "<plist>" + QByteArray("<array>").repeated(200000) + "</plist>";
    QByteArray garbage(2048, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char(i * 131 % 256);
    int n = 0;
    // A NUL in a string or a key would abort the property list parser's getters.
    const QByteArray nulString =
        PropertyList::write(QVariantMap{{u"CFBundleIdentifier"_s, u"com.example.Nul"_s}}, PropertyList::Format::Xml)
            .replace("example.Nul", QByteArray("example\0Nul", 11));
    const QByteArray nulKey = PropertyList::write(QVariantMap{{u"CFBundleIdentifier"_s, u"com.example.NulKey"_s},
                                                              {u"CFBundleName"_s, u"Nul"_s}},
                                                  PropertyList::Format::Binary)
                                  .replace("CFBundleName", QByteArray("CFBundle\0ame", 12));
    for (const QByteArray& raw :
         {valid.left(valid.size() / 2), deep, garbage, QByteArray("<?xml"), QByteArray(), nulString, nulKey}) {
        tools::BundleDescription bundle;
        bundle.path = u"Applications/Broken%1.app"_s.arg(++n);
        bundle.rawInfoPlist = raw;
        system.addBundle(bundle);
    }
    // The identifier is valid but the document types are not: the application is still listed.
    system.addApp(u"Applications/Odd.app"_s, u"com.example.Odd"_s, {}, {{u"CFBundleDocumentTypes"_s, u"oops"_s}});
    QDir().mkpath(system.root() + u"/Applications/NoPlist.app/Contents"_s);

    const QList<InstalledApp> apps = AppScanner().scan();
    EXPECT_EQ(identifiers(apps), (QStringList{u"com.example.Good"_s, u"com.example.Odd"_s}));
    EXPECT_FALSE(AppScanner().installedApp(QUrl::fromLocalFile(system.root() + u"/Applications/NoPlist.app"_s)));
    EXPECT_FALSE(AppScanner().installedApp(QUrl::fromLocalFile(system.root() + u"/Applications/Missing.app"_s)));
    const QString plugin = system.addApp(u"Library/Plug.bundle"_s, u"com.example.Plug"_s);
    EXPECT_FALSE(AppScanner().installedApp(QUrl::fromLocalFile(plugin))) << "not an application";
    EXPECT_NE(platform::LSRegisterURL(QUrl::fromLocalFile(plugin), true), platform::noErr);
}

TEST(AppScanner, EqualNamesComeOutInIdentifierOrder)
{
    TemporarySystem system;
    // Folder order runs against identifier order, so neither the walk nor an intermediate hash decides.
    const QStringList names{u"Editor"_s, u"editor"_s, u"EDITOR"_s};
    QStringList expected;
    for (int i = 0; i < 8; ++i) {
        const QString identifier = u"com.example.editor%1"_s.arg(i);
        system.addApp(u"Applications/%1.app"_s.arg(QChar(u'h' - i)), identifier, {},
                      {{u"CFBundleName"_s, names[i % names.size()]}});
        expected.append(identifier);
    }
    system.addApp(u"Applications/Z.app"_s, u"com.example.a"_s, {}, {{u"CFBundleName"_s, u"Alpha"_s}});
    expected.prepend(u"com.example.a"_s);
    EXPECT_EQ(identifiers(AppScanner().scan()), expected);
}

TEST(AppScanner, MissingRootsAreSkipped)
{
    TemporarySystem system;
    system.addApp(u"Applications/Only.app"_s, u"com.example.Only"_s);
    QDir(system.root() + u"/home/Applications"_s).removeRecursively();
    QDir(system.root() + u"/System"_s).removeRecursively();
    EXPECT_EQ(AppScanner().scan().size(), 1);
    const AppScanner custom({QUrl::fromLocalFile(system.root() + u"/nowhere"_s)});
    EXPECT_TRUE(custom.scan().isEmpty());
    EXPECT_EQ(AppScanner().applicationDirectories().size(), 3);
}

TEST(AppScanner, SpecialFilesInBundlesAreNeverOpened)
{
    TemporarySystem system;
    system.addApp(u"Applications/Good.app"_s, u"com.example.Good"_s);
    QDir().mkpath(system.root() + u"/Applications/Pipe.app/Contents"_s);
    tools::BundleDescription localized;
    localized.path = u"Applications/Localized.app"_s;
    localized.info = {{u"CFBundleIdentifier"_s, u"com.example.Localized"_s}, {u"CFBundleName"_s, u"Localized"_s}};
    localized.localizedStrings = {{u"en"_s, {{u"CFBundleDisplayName"_s, u"Localised"_s}}}};
    const QString strings = system.addBundle(localized) + u"/Contents/Resources/en.lproj/InfoPlist.strings"_s;
    QFile::remove(strings);
    const QStringList pipes{system.root() + u"/Applications/Pipe.app/Contents/Info.plist"_s, strings};
    for (const QString& pipe : pipes)
        ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);

    auto scan = std::async(std::launch::async, [] { return AppScanner().scan(); });
    // A reader blocked on a pipe is let go by a writer opening it, so a hang fails the test instead of blocking it.
    bool hung = false;
    while (scan.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        hung = true;
        for (const QString& pipe : pipes)
            if (const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
                ::close(fd);
    }
    EXPECT_FALSE(hung) << "the scan blocked on a named pipe";
    const QList<InstalledApp> apps = scan.get();
    EXPECT_EQ(identifiers(apps), (QStringList{u"com.example.Good"_s, u"com.example.Localized"_s}));
    EXPECT_EQ(find(apps, u"com.example.Localized"_s)->name, u"Localized"_s);
}

TEST(AppScanner, ScanningOnAPoolGivesTheSerialResult)
{
    TemporarySystem system;
    tools::SyntheticSystem::write(system.root(), 150, 7);
    // Copies of one identifier in every folder and twice in one, and two applications of the same name.
    for (const QString& folder : {u"Applications/A"_s, u"Applications/B"_s, u"System/Applications"_s,
                                  u"home/Applications"_s, u"Applications/Utilities"_s})
        system.addApp(folder + u"/Twin.app"_s, u"com.example.Twin"_s,
                      {TemporarySystem::documentType({u"public.plain-text"_s}, {u"TXT"_s})},
                      {{u"CFBundleName"_s, u"Twin"_s}});
    system.addApp(u"Applications/Other Twin.app"_s, u"com.example.OtherTwin"_s, {}, {{u"CFBundleName"_s, u"Twin"_s}});

    const QList<InstalledApp> serial = AppScanner().scan();
    QThreadPool pool;
    pool.setMaxThreadCount(4);
    for (int round = 0; round < 3; ++round) {
        platform::clearBundleCache();
        const AppScanner::Result parallel = AppScanner().scanWithCapabilities(&pool);
        ASSERT_EQ(parallel.apps, serial);
        ASSERT_EQ(parallel.capabilities.size(), serial.size());
        for (const InstalledApp& app : serial)
            EXPECT_EQ(parallel.capabilities.value(app.url), CapabilityParser().parse(app.url))
                << qPrintable(app.url.path());
    }
    const InstalledApp* twin = find(serial, u"com.example.Twin"_s);
    ASSERT_TRUE(twin);
    EXPECT_EQ(twin->url.path(), system.root() + u"/home/Applications/Twin.app"_s) << "the last folder's copy wins";
    EXPECT_GT(serial.size(), 140);
}
