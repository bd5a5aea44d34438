#include "core/catalog/association_catalog_builder.h"
#include "core/catalog/custom_association_store.h"
#include "core/discovery/app_scanner.h"
#include "core/services/launch_services_association_reader.h"
#include "core/services/launch_services_association_writer.h"
#include "core/support/record_folder.h"
#include "mime_apps_sandbox.h"
#include "pipe_watch.h"
#include "platform/bundle.h"
#include "platform/file_manager.h"
#include "platform/launch_services.h"
#include "platform/ns_error.h"
#include "platform/system_root.h"
#include "platform/uniform_type.h"
#include "platform/user_defaults.h"
#include "platform/workspace.h"

#include <QElapsedTimer>
#include <QUuid>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;

namespace {

QByteArray entry(const QByteArray& name, const QByteArray& mimeTypes, const QByteArray& extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true %f\nIcon=viewer\nMimeType=" + mimeTypes +
           "\n" + extra;
}

} // namespace

TEST(DesktopBackend, PresentsDesktopEntriesAsApplicationBundles)
{
    const MimeAppsSandbox sandbox;
    qputenv("LANG", "de_DE.UTF-8");
    sandbox.write(u"data1/applications/org.example.Viewer.desktop"_s,
                  entry("Viewer", "image/png;application/x-pdf;image/png;", "Name[de]=Betrachter\n"));
    sandbox.write(u"data1/applications/tools/editor.desktop"_s, entry("Editor", "text/plain;"));
    sandbox.write(u"data1/applications/masked.desktop"_s, entry("Masked", "text/plain;"));
    sandbox.write(u"home/.local/share/applications/masked.desktop"_s, entry("Masked", "text/plain;", "Hidden=true\n"));
    sandbox.write(u"data1/applications/notes.txt"_s, "not an entry");

    const AppScanner::Result scanned = AppScanner().scanWithCapabilities();
    QStringList ids;
    for (const InstalledApp& app : scanned.apps)
        ids.append(app.bundleIdentifier);
    EXPECT_EQ(ids, (QStringList{u"org.example.Viewer.desktop"_s, u"tools-editor.desktop"_s}))
        << "sorted by the localised name; the masked entry and other files are no applications";
    const InstalledApp& viewer = scanned.apps.constFirst();
    EXPECT_EQ(viewer.name, u"Betrachter"_s);
    EXPECT_EQ(viewer.supportedTypeIdentifiers, (QStringList{u"application/pdf"_s, u"image/png"_s}))
        << "aliases read as their type, each once";

    const auto bundle = platform::Bundle::bundleWithURL(viewer.url);
    ASSERT_TRUE(bundle);
    const QVariantList documentTypes = bundle->infoDictionary().value(u"CFBundleDocumentTypes"_s).toList();
    ASSERT_EQ(documentTypes.size(), 2);
    EXPECT_EQ(documentTypes[0].toMap().value(u"CFBundleTypeRole"_s), u"Editor"_s);

    // Only the file that decides an ID is that application.
    EXPECT_FALSE(AppScanner().installedApp(QUrl::fromLocalFile(sandbox.path(u"data1/applications/masked.desktop"_s))));
    EXPECT_TRUE(
        AppScanner().installedApp(QUrl::fromLocalFile(sandbox.path(u"data1/applications/tools/editor.desktop"_s))));
    EXPECT_EQ(platform::LSRegisterURL(viewer.url, true), platform::noErr);
    EXPECT_EQ(platform::LSRegisterURL(QUrl::fromLocalFile(sandbox.path(u"data1/applications/notes.txt"_s)), true),
              platform::paramErr);
    EXPECT_EQ(platform::Workspace::urlForApplicationWithBundleIdentifier(u"tools-editor.desktop"_s),
              QUrl::fromLocalFile(sandbox.path(u"data1/applications/tools/editor.desktop"_s)));
    EXPECT_EQ(platform::Workspace::iconFileForApplication(viewer.url), u"viewer"_s) << "a theme icon name";
    qunsetenv("LANG");
}

TEST(DesktopBackend, TheCoresFixedTypesAndPlacesAreTheDesktops)
{
    const MimeAppsSandbox sandbox;
    EXPECT_EQ(platform::systemKind(), platform::SystemKind::freedesktop);
    EXPECT_EQ(platform::UTType::data().identifier(), u"application/octet-stream"_s);
    EXPECT_EQ(platform::UTType::cameraRawImage().identifier(), u"image/x-dcraw"_s);
    const auto raw = platform::UTType::typeWithFilenameExtension(u"nef"_s);
    ASSERT_TRUE(raw);
    EXPECT_TRUE(raw->conformsTo(platform::UTType::cameraRawImage()));
    const auto unclaimed = platform::UTType::typeWithFilenameExtension(u"Tessikx"_s);
    ASSERT_TRUE(unclaimed);
    EXPECT_EQ(unclaimed->identifier(), u"application/x-extension-tessikx"_s);
    EXPECT_TRUE(unclaimed->isDynamic());
    EXPECT_FALSE(platform::UTType::typeWithFilenameExtension(u"üml"_s)) << "no valid type name can be made of it";

    EXPECT_EQ(platform::FileManager::applicationSupportDirectory().toLocalFile(), sandbox.dataHome());
    EXPECT_EQ(platform::FileManager::homeDirectoryForCurrentUser().toLocalFile(), sandbox.path(u"home"_s));
    platform::UserDefaults::setObject(u"TessikLanguage"_s, u"ja"_s);
    QFile settings(sandbox.configHome() + u"/Tessik/Tessik.conf"_s);
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("TessikLanguage=ja"));
    EXPECT_EQ(platform::UserDefaults::objectForKey(u"TessikLanguage"_s), u"ja"_s);

    qputenv("LC_MESSAGES", "ko_KR.UTF-8");
    EXPECT_EQ(platform::UserDefaults::preferredLanguages().value(0).left(2), u"ko"_s);
    qputenv("LC_MESSAGES", "C");
    EXPECT_EQ(platform::UserDefaults::preferredLanguages(), QStringList{u"en"_s});
    qunsetenv("LC_MESSAGES");
}

TEST(DesktopBackend, EveryRoleButTheShellIsTheOneDefaultAndItIsSetWithoutAsking)
{
    const MimeAppsSandbox sandbox;
    sandbox.write(u"data1/applications/a.desktop"_s, entry("A", "text/plain;"));
    sandbox.write(u"data1/applications/b.desktop"_s, entry("B", "text/plain;"));
    bool asked = false;
    platform::Workspace::setConfirmationHandler([&asked](const platform::DefaultApplicationQuestion&) {
        asked = true;
        return false;
    });

    EXPECT_FALSE(platform::Workspace::defaultApplicationChangesNeedConfirmation());
    LaunchServicesAssociationWriter writer;
    EXPECT_EQ(writer.setDefaultHandler(u"b.desktop"_s, u"text/plain"_s, AssociationRole::all),
              AssociationWriteOutcome::pendingVerification);
    EXPECT_FALSE(asked) << "a desktop asks nobody";
    EXPECT_EQ(QFile::permissions(sandbox.configHome()) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions())
        << "a configuration folder it creates is the user's alone";
    const LaunchServicesAssociationReader reader;
    for (const AssociationRole role : {AssociationRole::all, AssociationRole::viewer, AssociationRole::editor})
        EXPECT_EQ(reader.defaultHandler(u"text/plain"_s, role), u"b.desktop"_s);
    EXPECT_FALSE(reader.defaultHandler(u"text/plain"_s, AssociationRole::shell));
    EXPECT_EQ(platform::LSSetDefaultRoleHandlerForContentType(u"text/plain"_s, platform::kLSRolesShell, u"a.desktop"_s),
              platform::paramErr);
    EXPECT_EQ(
        platform::LSSetDefaultRoleHandlerForContentType(u"text/plain"_s, platform::kLSRolesAll, u"gone.desktop"_s),
        platform::paramErr)
        << "an application that is not installed is never written";
    platform::Workspace::setConfirmationHandler({});
}

TEST(DesktopBackend, AnUnclaimedExtensionBecomesATypeOfTheUsersMimeDatabaseWhenADefaultNeedsIt)
{
    const MimeAppsSandbox sandbox;
    sandbox.write(u"data1/applications/a.desktop"_s, entry("A", "text/plain;"));
    const auto type = platform::UTType::typeWithFilenameExtension(u"tessiky"_s);
    ASSERT_TRUE(type);
    const QString package = sandbox.dataHome() + u"/mime/packages/user-extension-tessiky.xml"_s;
    EXPECT_FALSE(QFileInfo::exists(package)) << "looking a type up registers nothing";

    ASSERT_EQ(
        platform::LSSetDefaultRoleHandlerForContentType(type->identifier(), platform::kLSRolesAll, u"a.desktop"_s),
        platform::noErr);
    EXPECT_TRUE(QFileInfo::exists(package));
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(type->identifier(), platform::kLSRolesAll),
              u"a.desktop"_s);
    if (const auto gio = sandbox.gioDefault(type->identifier())) {
        EXPECT_EQ(gio->toStdString(), "a.desktop");
    }
}

TEST(DesktopBackend, ATestThatReachesItOutsideASandboxEndsTheTestProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            qputenv("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
            platform::UTType::data();
        },
        "outside a sandbox");
}

TEST(DesktopBackend, TessiksOwnFoldersAndFilesAreTheUsersAlone)
{
    const MimeAppsSandbox sandbox;
    platform::UserDefaults::setObject(u"TessikLanguage"_s, u"ja"_s);
    const QUrl record = RecordFolder(RecordFolder::dataFolder(u"Snapshots"_s)).save(QUuid::createUuid(), {});
    const InstalledApp app{u"A"_s, u"a.desktop"_s, QUrl::fromLocalFile(sandbox.path(u"data1/applications/a.desktop"_s)),
                           {}};
    CustomAssociationStore().add(CustomAssociation::forExtension(u"mkk"_s, app));

    const auto user = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                      QFileDevice::WriteUser;
    const auto userFolder = user | QFileDevice::ExeOwner | QFileDevice::ExeUser;
    for (const QString& folder : {sandbox.configHome() + u"/Tessik"_s, sandbox.dataHome() + u"/Tessik"_s,
                                  sandbox.dataHome() + u"/Tessik/Snapshots"_s})
        EXPECT_EQ(QFile::permissions(folder), userFolder) << qPrintable(folder);
    for (const QString& file : {sandbox.configHome() + u"/Tessik/Tessik.conf"_s, record.toLocalFile(),
                                CustomAssociationStore::defaultFileURL().toLocalFile()})
        EXPECT_EQ(QFile::permissions(file), user) << qPrintable(file);
    EXPECT_EQ(platform::UserDefaults::objectForKey(u"TessikLanguage"_s), u"ja"_s);

    // A file that is there already keeps what its owner chose.
    const QString settings = sandbox.configHome() + u"/Tessik/Tessik.conf"_s;
    ASSERT_TRUE(QFile::setPermissions(settings, user | QFileDevice::ReadGroup));
    platform::UserDefaults::setObject(u"TessikLanguage"_s, u"ko"_s);
    EXPECT_EQ(QFile::permissions(settings), user | QFileDevice::ReadGroup);
}

TEST(DesktopBackend, PipesInPlaceOfTessiksFilesAndLocksAreNeverOpened)
{
    const MimeAppsSandbox sandbox;
    sandbox.write(u"data1/applications/a.desktop"_s, entry("A", "text/plain;"));
    const QString settings = sandbox.configHome() + u"/Tessik/Tessik.conf"_s;
    const QString customAssociations = CustomAssociationStore::defaultFileURL().toLocalFile();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).path()));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(customAssociations).path()));
    const InstalledApp app{u"A"_s, u"a.desktop"_s, QUrl::fromLocalFile(sandbox.path(u"data1/applications/a.desktop"_s)),
                           {}};
    const auto setDefault = [] {
        return platform::LSSetDefaultRoleHandlerForContentType(u"text/plain"_s, platform::kLSRolesAll, u"a.desktop"_s);
    };

    for (const QString& pipe : {settings, settings + u".lock"_s}) {
        const tessik::testing::PipeWatch watch(pipe);
        ASSERT_TRUE(watch.ready());
        EXPECT_FALSE(platform::UserDefaults::objectForKey(u"TessikLanguage"_s).isValid());
        platform::UserDefaults::setObject(u"TessikLanguage"_s, u"ja"_s);
        EXPECT_EQ(watch.opens(), 0) << qPrintable(pipe);
        EXPECT_FALSE(QFileInfo(pipe).isFile()) << "the pipe is left in place";
    }

    {
        // Nothing at the list's lock but a pipe: the write ends at once, and nothing is written.
        const tessik::testing::PipeWatch watch(sandbox.configHome() + u"/mimeapps.list.lock"_s);
        ASSERT_TRUE(watch.ready());
        QElapsedTimer timer;
        timer.start();
        EXPECT_THROW(setDefault(), platform::NSError);
        EXPECT_LT(timer.elapsed(), 4000) << "no lock wait for a pipe";
        EXPECT_EQ(watch.opens(), 0);
        EXPECT_FALSE(QFileInfo::exists(sandbox.configHome() + u"/mimeapps.list"_s));
    }
    EXPECT_EQ(setDefault(), platform::noErr) << "with the pipe gone the list is written";

    for (const QString& pipe : {customAssociations, customAssociations + u".lock"_s}) {
        const tessik::testing::PipeWatch watch(pipe);
        ASSERT_TRUE(watch.ready());
        EXPECT_THROW(CustomAssociationStore().add(CustomAssociation::forExtension(u"mkk"_s, app)), std::exception);
        EXPECT_EQ(watch.opens(), 0) << qPrintable(pipe);
    }

    {
        // The lock of the user's MIME packages, taken when an extension no type claims gets one.
        ASSERT_TRUE(QDir().mkpath(sandbox.dataHome() + u"/mime"_s));
        const tessik::testing::PipeWatch watch(sandbox.dataHome() + u"/mime/packages.lock"_s);
        ASSERT_TRUE(watch.ready());
        const auto type = platform::UTType::typeWithFilenameExtension(u"zzq"_s, platform::UTType::data());
        ASSERT_TRUE(type);
        EXPECT_THROW(platform::LSSetDefaultRoleHandlerForContentType(type->identifier(), platform::kLSRolesAll,
                                                                     u"a.desktop"_s),
                     platform::NSError);
        EXPECT_EQ(watch.opens(), 0);
    }
}
