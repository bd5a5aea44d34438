#include "core/discovery/app_scanner.h"
#include "core/services/launch_services_association_reader.h"
#include "platform/emulated/emulation_settings.h"
#include "platform/emulated/property_list.h"
#include "platform/system_root.h"
#include "platform/workspace.h"
#include "systemwriter/demo_system.h"
#include "systemwriter/synthetic_system.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;

namespace {

// A digest of every file's path and contents under the folder.
QByteArray treeDigest(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next().mid(root.size()));
    files.sort();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& file : files) {
        QFile f(root + file);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        hash.addData(file.toUtf8());
        hash.addData(f.readAll());
    }
    return hash.result();
}

} // namespace

TEST(SyntheticSystem, IsReproducibleFromItsSeed)
{
    QTemporaryDir a, b, c;
    const auto summary = tools::SyntheticSystem::write(a.path(), 120, 7);
    tools::SyntheticSystem::write(b.path(), 120, 7);
    tools::SyntheticSystem::write(c.path(), 120, 8);
    EXPECT_EQ(summary.bundles, 120);
    EXPECT_EQ(treeDigest(a.path()), treeDigest(b.path()));
    EXPECT_NE(treeDigest(a.path()), treeDigest(c.path()));

    platform::setSystemRoot(a.path());
    EXPECT_EQ(AppScanner().scan().size(), summary.distinctIdentifiers);
    platform::setSystemRoot({});
}

TEST(DemoSystem, HasTheApplicationsAndChoicesItDescribes)
{
    QTemporaryDir dir;
    tools::DemoSystem::write(dir.path());
    platform::setSystemRoot(dir.path());
    QFile description(u":/tessik/tools/demo-system.json"_s);
    ASSERT_TRUE(description.open(QIODevice::ReadOnly));
    const QJsonObject demo = QJsonDocument::fromJson(description.readAll()).object();
    EXPECT_GE(demo.value("apps"_L1).toArray().size(), 25);
    for (const QJsonValue& value : demo.value("handlers"_L1).toArray()) {
        const QJsonObject handler = value.toObject();
        const auto role = associationRoleFromRawValue(handler.value("role"_L1).toString());
        ASSERT_TRUE(role);
        EXPECT_EQ(LaunchServicesAssociationReader().defaultHandler(handler.value("contentType"_L1).toString(), *role),
                  handler.value("bundleIdentifier"_L1).toString());
    }
    // Its mail application and browsers take the program's mail drafts and links.
    EXPECT_TRUE(platform::Workspace::openURL(QUrl(u"mailto:?subject=Tessik"_s)));
    EXPECT_TRUE(platform::Workspace::openURL(QUrl(u"https://example.com"_s)));
    EXPECT_FALSE(platform::Workspace::openURL(QUrl(u"ftp://example.com"_s)));
    // Writing again over an earlier demo replaces it; a folder that is not a machine is refused.
    EXPECT_NO_THROW(tools::DemoSystem::write(dir.path()));
    QTemporaryDir other;
    QFile precious(other.filePath(u"precious.txt"_s));
    ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
    precious.close();
    EXPECT_THROW(tools::DemoSystem::write(other.path()), std::runtime_error);
    EXPECT_TRUE(precious.exists());
    platform::setSystemRoot({});
}

TEST(DemoSystem, EveryApplicationHasItsOwnIconInSeveralSizes)
{
    QTemporaryDir dir;
    tools::DemoSystem::write(dir.path());
    QFile description(u":/tessik/tools/demo-system.json"_s);
    ASSERT_TRUE(description.open(QIODevice::ReadOnly));
    const QJsonArray apps = QJsonDocument::fromJson(description.readAll()).object().value("apps"_L1).toArray();
    QSet<QByteArray> looks;
    for (const QJsonValue& value : apps) {
        const QString bundle = dir.filePath(value.toObject().value("path"_L1).toString());
        // Found the way the program finds it, whether CFBundleIconFile spells the extension or not.
        const auto file = platform::Workspace::iconFileForApplication(QUrl::fromLocalFile(bundle));
        ASSERT_TRUE(file) << qPrintable(bundle);
        QImageReader reader(*file);
        QList<int> sizes;
        QImage small;
        do {
            const QImage image = reader.read();
            ASSERT_FALSE(image.isNull()) << qPrintable(*file) << qPrintable(reader.errorString());
            EXPECT_EQ(image.width(), image.height());
            sizes.append(image.width());
            if (image.width() == 32)
                small = image.convertToFormat(QImage::Format_ARGB32);
        } while (reader.jumpToNextImage());
        std::sort(sizes.begin(), sizes.end());
        EXPECT_EQ(sizes, QList<int>({16, 32, 64, 128, 256, 512})) << qPrintable(*file);
        looks.insert(QByteArray(reinterpret_cast<const char*>(small.constBits()), small.sizeInBytes()));
    }
    EXPECT_EQ(looks.size(), apps.size()) << "no two applications look the same";
}

namespace {

int makeSystem(const QStringList& arguments)
{
    QProcess process;
    process.start(QString::fromUtf8(TESSIK_MAKE_SYSTEM_PATH), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

} // namespace

TEST(MakeSystem, WritesTheEmulationSettingsItIsGiven)
{
    QTemporaryDir dir;
    const QString root = dir.filePath(u"root"_s);
    const QString settingsFile = root + u"/Emulation.plist"_s;
    for (const QStringList& bad : {QStringList{u"--write-delay"_s, u"-1"_s},
                                   {u"--write-delay"_s, u"soon"_s},
                                   {u"--write-delay"_s, u"inf"_s},
                                   {u"--override-type"_s, u"public.html"_s},
                                   {u"--override-type"_s, u"=com.example.A"_s},
                                   {u"--override-type"_s, u"a=b=c"_s},
                                   {u"--ignore-type"_s, u" "_s}}) {
        EXPECT_EQ(makeSystem(QStringList{u"--synthetic"_s, root, u"--apps"_s, u"2"_s} + bad), 2)
            << qPrintable(bad.join(u' '));
        EXPECT_FALSE(QFile::exists(root)) << "nothing is written after a usage error";
    }

    ASSERT_EQ(makeSystem({u"--synthetic"_s, root, u"--apps"_s, u"2"_s, u"--write-delay"_s, u"2.5"_s, u"--ignore-type"_s,
                          u"public.plain-text"_s, u"--ignore-type"_s, u"public.json"_s, u"--override-type"_s,
                          u"public.html=com.example.Browser"_s}),
              0);
    QFile file(settingsFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    platform::EmulationSettings expected;
    expected.handlerWriteDelay = 2.5;
    expected.ignoredContentTypes = {u"public.plain-text"_s, u"public.json"_s};
    expected.overriddenContentTypes = {{u"public.html"_s, u"com.example.Browser"_s}};
    EXPECT_EQ(platform::EmulationSettings::fromPropertyList(*platform::PropertyList::read(file.readAll())), expected);

    ASSERT_EQ(makeSystem({u"--demo"_s, root}), 0);
    EXPECT_FALSE(QFile::exists(settingsFile)) << "a rewritten machine starts without the old settings";
}

TEST(MakeSystem, WritesTheDemoInTheLanguageItIsGiven)
{
    QTemporaryDir dir;
    const QString root = dir.filePath(u"root"_s);
    EXPECT_EQ(makeSystem({u"--demo"_s, root, u"--language"_s, u"pt"_s}), 2);
    EXPECT_EQ(makeSystem({u"--synthetic"_s, root, u"--apps"_s, u"1"_s, u"--language"_s, u"de"_s}), 2);
    EXPECT_FALSE(QFile::exists(root));
    ASSERT_EQ(makeSystem({u"--demo"_s, root, u"--language"_s, u"de"_s}), 0);
    QFile file(root + u"/home/Library/Preferences/.GlobalPreferences.plist"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(platform::PropertyList::read(file.readAll())->toMap().value(u"AppleLanguages"_s).toStringList(),
              (QStringList{u"de"_s, u"en"_s}));
}

TEST(MakeSystem, DrawsTheProgramsArtwork)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"TessikIcon.png"_s);
    EXPECT_EQ(makeSystem({u"--logo"_s, file, u"--demo"_s, dir.filePath(u"root"_s)}), 2);
    ASSERT_EQ(makeSystem({u"--logo"_s, file}), 0);
    const QImage logo(file);
    EXPECT_EQ(logo.size(), QSize(512, 512));
    EXPECT_EQ(logo.pixelColor(0, 0).alpha(), 0) << "the rounded corners are clear";
    EXPECT_EQ(logo.pixelColor(256, 256).alpha(), 255);
}

TEST(MakeIcns, TurnsTheArtworkIntoAnIconOfEverySize)
{
    QTemporaryDir dir;
    const QString artwork = QString::fromUtf8(TESSIK_SOURCE_DIR) + u"/ui/resources/TessikIcon.png"_s;
    const QString icns = dir.filePath(u"Tessik.icns"_s);
    QProcess process;
    process.start(QString::fromUtf8(TESSIK_MAKE_ICNS_PATH), {artwork, icns});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();

    const QImage original(artwork);
    QImageReader reader(icns);
    QList<int> sizes;
    do {
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << qPrintable(reader.errorString());
        EXPECT_EQ(image.width(), image.height());
        sizes.append(image.width());
        // The same picture at every size: its middle keeps the artwork's colour there.
        const QColor expected = original.pixelColor(original.width() / 2, original.height() / 2);
        const QColor middle = image.pixelColor(image.width() / 2, image.height() / 2);
        if (image.width() >= 64) {
            EXPECT_LE(std::abs(middle.red() - expected.red()) + std::abs(middle.blue() - expected.blue()), 40);
        }
    } while (reader.jumpToNextImage());
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, QList<int>({16, 32, 64, 128, 256, 512}));

    // What is no square picture gives a clear error and leaves no file.
    const QString wide = dir.filePath(u"wide.png"_s);
    ASSERT_TRUE(QImage(20, 10, QImage::Format_ARGB32).save(wide));
    const QString refused = dir.filePath(u"Wide.icns"_s);
    process.start(QString::fromUtf8(TESSIK_MAKE_ICNS_PATH), {wide, refused});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("square"));
    EXPECT_FALSE(QFile::exists(refused));
}
