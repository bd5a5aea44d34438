#include "platform/bundle.h"
#include "platform/emulated/application_registry.h"
#include "platform/emulated/emulation_settings.h"
#include "platform/emulated/machine_paths.h"
#include "platform/emulated/property_list.h"
#include "platform/handler_explanation.h"
#include "platform/launch_services.h"
#include "platform/lookup_batch.h"
#include "platform/system_root.h"
#include "platform/user_defaults.h"
#include "platform/workspace.h"
#include "pipe_watch.h"
#include "scripted_services.h"
#include "temporary_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>

using namespace Qt::StringLiterals;
using namespace tessik::platform;
using tessik::testing::TemporarySystem;

namespace {

std::optional<QString> handler(const QString& type, LSRolesMask role)
{
    return LSCopyDefaultRoleHandlerForContentType(type, role);
}

} // namespace

TEST(LaunchServices, ChoosesTheHighestRankedClaimantInAMatchingRole)
{
    TemporarySystem system;
    const QString markdown = u"net.daringfireball.markdown"_s;
    system.addApp(u"Applications/Alternate.app"_s, u"com.example.alternate"_s,
                  {TemporarySystem::documentType({markdown}, {}, u"Editor"_s, u"Alternate"_s)});
    system.addApp(u"Applications/Viewer.app"_s, u"com.example.viewer"_s,
                  {TemporarySystem::documentType({markdown}, {}, u"Viewer"_s)});
    system.addApp(u"Applications/Refuses.app"_s, u"com.example.none"_s,
                  {TemporarySystem::documentType({markdown}, {}, u"None"_s, u"Owner"_s),
                   TemporarySystem::documentType({markdown}, {}, u"Editor"_s, u"None"_s)});
    system.addApp(u"Applications/Shell.app"_s, u"com.example.shell"_s,
                  {TemporarySystem::documentType({u"public.shell-script"_s}, {}, u"Shell"_s)});

    // An absent rank counts as Default, which beats Alternate; a Viewer claim cannot edit.
    EXPECT_EQ(handler(markdown, kLSRolesViewer), u"com.example.viewer"_s);
    EXPECT_EQ(handler(markdown, kLSRolesAll), u"com.example.viewer"_s);
    EXPECT_EQ(handler(markdown, kLSRolesEditor), u"com.example.alternate"_s);
    EXPECT_FALSE(handler(markdown, kLSRolesShell));
    EXPECT_EQ(handler(u"public.shell-script"_s, kLSRolesShell), u"com.example.shell"_s);
    EXPECT_FALSE(handler(u"com.adobe.pdf"_s, kLSRolesAll));

    system.addApp(u"Applications/Owner.app"_s, u"com.example.owner"_s,
                  {TemporarySystem::documentType({markdown}, {}, u"Viewer"_s, u"Owner"_s)});
    EXPECT_EQ(handler(markdown, kLSRolesViewer), u"com.example.owner"_s);
}

TEST(LaunchServices, TheRegistryTakesTheBundlesJustReadAndKnowsWhatChangedSince)
{
    TemporarySystem system;
    const QString markdown = u"net.daringfireball.markdown"_s;
    const QString bundle = system.addApp(u"Applications/Writer.app"_s, u"com.example.writer"_s,
                                         {TemporarySystem::documentType({markdown}, {}, u"Editor"_s)});
    // The bundle as a scan reads it, and a registry built from the disk.
    ASSERT_TRUE(Bundle::bundleWithURL(QUrl::fromLocalFile(bundle)));
    ASSERT_EQ(handler(markdown, kLSRolesEditor), u"com.example.writer"_s);
    ASSERT_TRUE(ApplicationRegistry::shared().current()->isCurrent());

    // Another program changes the bundle; the next registry, built at once from what was just read, is out of date
    // and says so, so that its next look at the disk reads the bundle again.
    QFile info(bundle + u"/Contents/Info.plist"_s);
    ASSERT_TRUE(info.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_GT(info.write(PropertyList::write(QVariantMap{{u"CFBundleIdentifier"_s, u"com.example.writer"_s},
                                                         {u"CFBundleName"_s, u"Writer, without documents"_s}},
                                             PropertyList::Format::Xml)),
              0);
    info.close();
    {
        const TemporarySystem elsewhere;
        handler(markdown, kLSRolesEditor);
    }
    setSystemRoot(system.root());
    EXPECT_FALSE(ApplicationRegistry::shared().current()->isCurrent());
    ApplicationRegistry::shared().invalidate();
    EXPECT_FALSE(handler(markdown, kLSRolesEditor)) << "read from the disk again";
    EXPECT_TRUE(ApplicationRegistry::shared().current()->isCurrent());
}

TEST(LaunchServices, SupertypeClaimsAndExtensionOnlyEntriesCount)
{
    TemporarySystem system;
    system.addApp(u"Applications/Raw.app"_s, u"com.example.raw"_s,
                  {TemporarySystem::documentType({u"public.camera-raw-image"_s}, {})});
    system.addApp(u"Applications/Old.app"_s, u"com.example.old"_s,
                  {TemporarySystem::documentType({}, {u"mkk"_s, u"md"_s})});
    EXPECT_EQ(handler(u"com.canon.cr2-raw-image"_s, kLSRolesViewer), u"com.example.raw"_s);
    EXPECT_EQ(handler(u"net.daringfireball.markdown"_s, kLSRolesViewer), u"com.example.old"_s);
    EXPECT_FALSE(handler(u"com.example.unknown"_s, kLSRolesAll));
}

TEST(LaunchServices, ExplicitHandlersWinWhileTheirApplicationIsInstalled)
{
    TemporarySystem system;
    const QString html = u"public.html"_s;
    system.addApp(u"Applications/Browser.app"_s, u"com.example.Browser"_s,
                  {TemporarySystem::documentType({html}, {}, u"Viewer"_s, u"Owner"_s)});
    system.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s,
                  {TemporarySystem::documentType({html}, {}, u"Editor"_s, u"Alternate"_s)});

    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(html, kLSRolesEditor, u"com.example.Editor"_s), noErr);
    EXPECT_EQ(handler(html, kLSRolesEditor), u"com.example.Editor"_s);
    EXPECT_EQ(handler(html, kLSRolesViewer), u"com.example.Browser"_s);
    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(html, kLSRolesAll, u"com.example.Editor"_s), noErr);
    EXPECT_EQ(handler(html, kLSRolesViewer), u"com.example.Editor"_s) << "the all-roles choice stands in";
    EXPECT_EQ(handler(html, kLSRolesAll), u"com.example.Editor"_s);

    // A choice naming an application that is not installed does not take.
    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(html, kLSRolesAll, u"com.example.gone"_s), noErr);
    EXPECT_EQ(handler(html, kLSRolesAll), u"com.example.Browser"_s);

    // The file keeps the real LSHandlers layout.
    QFile file(MachinePaths::handlerDatabase());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QVariantList entries = PropertyList::read(file.readAll())->toMap().value(u"LSHandlers"_s).toList();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].toMap().value(u"LSHandlerContentType"_s).toString(), html);
    EXPECT_EQ(entries[0].toMap().value(u"LSHandlerRoleEditor"_s).toString(), u"com.example.Editor"_s);
    EXPECT_EQ(entries[0].toMap().value(u"LSHandlerRoleAll"_s).toString(), u"com.example.gone"_s);
}

TEST(LaunchServices, ABatchReadsTheHandlersOnceAndSeesItsOwnWrites)
{
    TemporarySystem system;
    const QString html = u"public.html"_s;
    system.addApp(u"Applications/Browser.app"_s, u"com.example.Browser"_s,
                  {TemporarySystem::documentType({html, u"public.png"_s}, {}, u"Viewer"_s, u"Owner"_s)});
    system.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s);
    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(html, kLSRolesEditor, u"com.example.Editor"_s), noErr);
    // Another program's copy of the database, as it will be after its write.
    const QByteArray outside = PropertyList::write(
        QVariantMap{{u"LSHandlers"_s, QVariantList{QVariantMap{{u"LSHandlerContentType"_s, html},
                                                               {u"LSHandlerRoleViewer"_s, u"com.example.Editor"_s}}}}},
        PropertyList::Format::Binary);

    {
        const LookupBatch batch;
        const qint64 before = LookupBatch::looks();
        for (const LSRolesMask role : {kLSRolesAll, kLSRolesViewer, kLSRolesEditor, kLSRolesShell})
            for (const QString& type : {html, u"public.png"_s, u"public.jpeg"_s})
                handler(type, role);
        EXPECT_EQ(LookupBatch::looks() - before, 1) << "every type and role from one look";

        // What this thread writes is seen at once, whatever the batch read before.
        ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(html, kLSRolesAll, u"com.example.Editor"_s), noErr);
        EXPECT_EQ(handler(html, kLSRolesViewer), u"com.example.Editor"_s);

        QFile file(MachinePaths::handlerDatabase());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(outside), outside.size());
    }
    // The next batch, and a lookup outside any, read the disk again.
    const LookupBatch next;
    EXPECT_FALSE(handler(html, kLSRolesEditor)) << "the outside write dropped the editor";
    EXPECT_EQ(handler(html, kLSRolesViewer), u"com.example.Editor"_s);
}

TEST(LaunchServices, RejectsBadWritesAndNeverOverwritesAnUnreadableDatabase)
{
    TemporarySystem system;
    EXPECT_EQ(LSSetDefaultRoleHandlerForContentType(u"public.html"_s, kLSRolesViewer, QString()), paramErr);
    EXPECT_EQ(LSSetDefaultRoleHandlerForContentType(u"public.html"_s, kLSRolesNone, u"com.example.a"_s), paramErr);
    EXPECT_FALSE(handler(u"public.html"_s, kLSRolesNone));

    system.addApp(u"Applications/A.app"_s, u"com.example.a"_s);
    // A NUL in a key would abort the property list parser's getters; such a file is unreadable.
    QByteArray nulKey = PropertyList::write(
        QVariantMap{{u"LSHandlers"_s, QVariantList{QVariantMap{{u"LSHandlerContentType"_s, u"public.html"_s},
                                                               {u"LSHandlerRoleViewer"_s, u"com.example.a"_s}}}}},
        PropertyList::Format::Binary);
    nulKey.replace("RoleViewer", QByteArray("Role\0iewer", 10));
    for (const QByteArray& unreadable : {QByteArray("not a property list"), nulKey}) {
        QFile file(MachinePaths::handlerDatabase());
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(unreadable);
        file.close();
        EXPECT_FALSE(handler(u"public.html"_s, kLSRolesViewer));
        EXPECT_EQ(LSSetDefaultRoleHandlerForContentType(u"public.html"_s, kLSRolesViewer, u"com.example.a"_s), ioErr);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), unreadable);
    }
}

TEST(LaunchServices, NeverOverwritesAnUnreadableRegistrationsList)
{
    TemporarySystem system;
    const QString outside = system.addApp(u"Downloads/Tool.app"_s, u"com.example.tool"_s);
    QByteArray nul = PropertyList::write(QVariantMap{{u"RegisteredBundles"_s, QStringList{u"/Volumes/Other.app"_s}}},
                                         PropertyList::Format::Xml);
    nul.replace("Other", QByteArray("Ot\0er", 5));
    for (const QByteArray& unreadable : {QByteArray("not a property list"), nul}) {
        QFile file(MachinePaths::registrations());
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(unreadable);
        file.close();
        EXPECT_EQ(LSRegisterURL(QUrl::fromLocalFile(outside), true), ioErr);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), unreadable);
    }
    EXPECT_FALSE(Workspace::urlForApplicationWithBundleIdentifier(u"com.example.tool"_s));
}

TEST(LaunchServices, EmulationDelaysIgnoresAndRedirectsWrites)
{
    TemporarySystem system;
    tessik::testing::FakeClock clock;
    const QString markdown = u"net.daringfireball.markdown"_s;
    const QString text = u"public.plain-text"_s;
    const QString html = u"public.html"_s;
    for (const QString& name : {u"Owner"_s, u"Editor"_s, u"Other"_s})
        system.addApp(u"Applications/%1.app"_s.arg(name), u"com.example."_s + name,
                      {TemporarySystem::documentType({markdown, text, html}, {}, u"Editor"_s,
                                                     name == u"Owner"_s ? u"Owner"_s : u"Alternate"_s)});
    EmulationSettings emulation;
    emulation.handlerWriteDelay = 5;
    emulation.ignoredContentTypes = {u"PUBLIC.plain-text"_s};
    emulation.overriddenContentTypes = {{html, u"com.example.Other"_s}};
    tessik::tools::SystemRootWriter::writeEmulation(system.root(), emulation);
    EXPECT_EQ(EmulationSettings::current(), emulation);

    // A delayed write answers what reads answered before it, also to a second write in the meantime.
    EXPECT_EQ(LSSetDefaultRoleHandlerForContentType(markdown, kLSRolesEditor, u"com.example.Editor"_s), noErr);
    EXPECT_EQ(handler(markdown, kLSRolesEditor), u"com.example.Owner"_s);
    clock.advance(std::chrono::milliseconds(4900));
    EXPECT_EQ(handler(markdown, kLSRolesEditor), u"com.example.Owner"_s);
    clock.advance(std::chrono::milliseconds(100));
    EXPECT_EQ(handler(markdown, kLSRolesEditor), u"com.example.Editor"_s);
    EXPECT_EQ(LSSetDefaultRoleHandlerForContentType(markdown, kLSRolesEditor, u"com.example.Other"_s), noErr);
    clock.advance(std::chrono::seconds(2));
    EXPECT_EQ(handler(markdown, kLSRolesEditor), u"com.example.Editor"_s);
    clock.advance(std::chrono::seconds(3));
    EXPECT_EQ(handler(markdown, kLSRolesEditor), u"com.example.Other"_s);

    // The delay is kept in the database, so another process sees the same.
    QFile database(MachinePaths::handlerDatabase());
    ASSERT_TRUE(database.open(QIODevice::ReadOnly));
    const QVariantMap entry =
        PropertyList::read(database.readAll())->toMap().value(u"LSHandlers"_s).toList().constFirst().toMap();
    EXPECT_TRUE(entry.contains(u"LSHandlerModificationDate"_s));

    // An ignored type accepts the write and keeps its handler; an overridden one ends elsewhere.
    EXPECT_EQ(LSSetDefaultRoleHandlerForContentType(text, kLSRolesEditor, u"com.example.Editor"_s), noErr);
    clock.advance(std::chrono::seconds(10));
    EXPECT_EQ(handler(text, kLSRolesEditor), u"com.example.Owner"_s);
    EXPECT_EQ(LSSetDefaultRoleHandlerForContentType(html, kLSRolesAll, u"com.example.Editor"_s), noErr);
    clock.advance(std::chrono::seconds(10));
    EXPECT_EQ(handler(html, kLSRolesAll), u"com.example.Other"_s);

    // Without the file, or with one of the wrong shape, writes take at once.
    QFile settings(system.root() + u"/Emulation.plist"_s);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
    settings.write(PropertyList::write(
        QVariantMap{{u"HandlerWriteDelay"_s, u"soon"_s}, {u"IgnoredContentTypes"_s, text}}, PropertyList::Format::Xml));
    settings.close();
    EXPECT_EQ(EmulationSettings::current(), EmulationSettings());
    EXPECT_EQ(LSSetDefaultRoleHandlerForContentType(text, kLSRolesEditor, u"com.example.Editor"_s), noErr);
    EXPECT_EQ(handler(text, kLSRolesEditor), u"com.example.Editor"_s);
}

TEST(LaunchServices, ALockLeftByADeadProcessDoesNotBlockWrites)
{
    TemporarySystem system;
    system.addApp(u"Applications/Editor.app"_s, u"com.example.editor"_s);
    QFile lock(MachinePaths::launchServicesLock());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(lock).absolutePath()));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    // The owner's process id, program and host, as a lock file records them; no process has that id.
    lock.write("2147483646\n" + QCoreApplication::applicationName().toUtf8() + '\n' +
               QSysInfo::machineHostName().toUtf8() + '\n');
    lock.close();

    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(u"public.html"_s, kLSRolesEditor, u"com.example.editor"_s), noErr);
    EXPECT_EQ(handler(u"public.html"_s, kLSRolesEditor), u"com.example.editor"_s);
    EXPECT_FALSE(lock.exists()) << "the lock is given back";
}

TEST(LaunchServices, KnowsLinkedApplicationsByTheirTargets)
{
    TemporarySystem system;
    const QString target = system.addApp(u"Volumes/Tools/Linked.app"_s, u"com.example.linked"_s,
                                         {TemporarySystem::documentType({u"public.css"_s}, {})});
    EXPECT_FALSE(Workspace::urlForApplicationWithBundleIdentifier(u"com.example.linked"_s));
    ASSERT_TRUE(QFile::link(target, system.root() + u"/Applications/Linked.app"_s));
    ApplicationRegistry::shared().invalidate();
    EXPECT_EQ(Workspace::urlForApplicationWithBundleIdentifier(u"com.example.linked"_s), QUrl::fromLocalFile(target));
    EXPECT_EQ(handler(u"public.css"_s, kLSRolesViewer), u"com.example.linked"_s);

    // A folder is a package by its name alone: an application inside one that is not is still found.
    system.addApp(u"Applications/Suite.notapackage/Inner.app"_s, u"com.example.inner"_s);
    system.addBundle({u"Applications/Suite.notapackage"_s, {{u"CFBundleIdentifier"_s, u"com.example.suite"_s}}});
    EXPECT_TRUE(Workspace::urlForApplicationWithBundleIdentifier(u"com.example.inner"_s));
    EXPECT_FALSE(Workspace::urlForApplicationWithBundleIdentifier(u"com.example.suite"_s));
}

TEST(LaunchServices, KnowsABundleOutsideTheFoldersOnlyOnceRegistered)
{
    TemporarySystem system;
    const QString outside = system.addApp(u"Downloads/Tool.app"_s, u"com.example.tool"_s);
    system.addApp(u"Applications/Viewer.app"_s, u"com.example.viewer"_s,
                  {TemporarySystem::documentType({u"public.css"_s}, {})});

    // Accepted, but the choice never takes while Launch Services does not know the application.
    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(u"public.css"_s, kLSRolesViewer, u"com.example.tool"_s), noErr);
    EXPECT_EQ(handler(u"public.css"_s, kLSRolesViewer), u"com.example.viewer"_s);

    system.registerBundle(outside);
    EXPECT_EQ(handler(u"public.css"_s, kLSRolesViewer), u"com.example.tool"_s);
    EXPECT_EQ(LSRegisterURL(QUrl::fromLocalFile(system.root() + u"/Downloads/Missing.app"_s), true), paramErr);

    // The registration is kept beside the handler database, once, for every later process.
    system.registerBundle(outside);
    QFile file(MachinePaths::registrations());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(PropertyList::read(file.readAll())->toMap().value(u"RegisteredBundles"_s).toStringList(),
              QStringList{QFileInfo(outside).canonicalFilePath()});
    ApplicationRegistry::shared().invalidate();
    EXPECT_EQ(handler(u"public.css"_s, kLSRolesViewer), u"com.example.tool"_s);

    // A registered bundle that is removed is forgotten.
    ASSERT_TRUE(QDir(outside).removeRecursively());
    ApplicationRegistry::shared().invalidate();
    EXPECT_EQ(handler(u"public.css"_s, kLSRolesViewer), u"com.example.viewer"_s);
}

TEST(LaunchServices, PipesInPlaceOfItsFilesAreNeverWaitedOn)
{
    TemporarySystem system;
    system.addApp(
        u"Applications/Mail.app"_s, u"com.example.mail"_s, {},
        {{u"CFBundleURLTypes"_s, QVariantList{QVariantMap{{u"CFBundleURLSchemes"_s, QStringList{u"mailto"_s}}}}}});
    const QStringList pipes{MachinePaths::handlerDatabase(), MachinePaths::registrations(),
                            MachinePaths::openedURLsLog(), MachinePaths::globalPreferences()};
    for (const QString& pipe : pipes) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(pipe).absolutePath()));
        ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    }
    ApplicationRegistry::shared().invalidate();

    auto use = std::async(std::launch::async, [] {
        return std::tuple(
            LSCopyDefaultRoleHandlerForContentType(u"public.html"_s, kLSRolesViewer),
            LSSetDefaultRoleHandlerForContentType(u"public.html"_s, kLSRolesViewer, u"com.example.mail"_s),
            Workspace::openURL(QUrl(u"mailto:someone@example.com"_s)), UserDefaults::preferredLanguages());
    });
    // A reader blocked on a pipe is let go by a writer opening it, so a hang fails the test instead of blocking it.
    bool hung = false;
    while (use.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        hung = true;
        for (const QString& pipe : pipes)
            for (const int flags : {O_WRONLY | O_NONBLOCK, O_RDONLY | O_NONBLOCK})
                if (const int fd = ::open(QFile::encodeName(pipe).constData(), flags); fd >= 0)
                    ::close(fd);
    }
    EXPECT_FALSE(hung) << "a pipe was waited on";
    const auto [handler, status, opened, languages] = use.get();
    EXPECT_FALSE(handler);
    EXPECT_EQ(status, ioErr) << "a database that cannot be read is left alone";
    EXPECT_FALSE(opened);
    EXPECT_FALSE(languages.isEmpty()) << "the machine's languages stand in";
}

TEST(LaunchServices, PipesAtItsLockAndAtTheDefaultsAreNeverOpened)
{
    TemporarySystem system;
    const QString outside = system.addApp(u"Downloads/Tool.app"_s, u"com.example.tool"_s,
                                          {TemporarySystem::documentType({u"public.css"_s}, {})});
    const QString defaults = MachinePaths::preferences() + u"/com.tessik.Tessik.plist"_s;
    ASSERT_TRUE(QDir().mkpath(MachinePaths::preferences()));
    for (const QString& pipe : {defaults, defaults + u".lock"_s}) {
        const tessik::testing::PipeWatch watch(pipe);
        ASSERT_TRUE(watch.ready());
        EXPECT_FALSE(UserDefaults::objectForKey(u"TessikLanguage"_s).isValid());
        UserDefaults::setObject(u"TessikLanguage"_s, u"ja"_s);
        EXPECT_EQ(watch.opens(), 0) << qPrintable(pipe);
    }

    // A lock that cannot be taken: writes and registrations end with an error and leave the files alone.
    ASSERT_TRUE(QDir().mkpath(QFileInfo(MachinePaths::launchServicesLock()).absolutePath()));
    const tessik::testing::PipeWatch lock(MachinePaths::launchServicesLock());
    ASSERT_TRUE(lock.ready());
    EXPECT_EQ(LSSetDefaultRoleHandlerForContentType(u"public.css"_s, kLSRolesViewer, u"com.example.tool"_s), ioErr);
    EXPECT_EQ(LSRegisterURL(QUrl::fromLocalFile(outside), true), ioErr);
    EXPECT_EQ(lock.opens(), 0);
    EXPECT_FALSE(QFileInfo::exists(MachinePaths::handlerDatabase()));
    EXPECT_FALSE(QFileInfo::exists(MachinePaths::registrations()));
}

TEST(LaunchServices, AURLSchemeHasOneHandlerStoredForEveryRole)
{
    TemporarySystem system;
    const auto declaring = [](const QVariantList& schemes) {
        return QVariantMap{{u"CFBundleURLTypes"_s, QVariantList{QVariantMap{{u"CFBundleURLSchemes"_s, schemes}}}}};
    };
    system.addApp(u"Applications/Browser.app"_s, u"com.example.Browser"_s, {}, declaring({u"HTTPS"_s, u"http"_s}));
    system.addApp(u"Applications/Other.app"_s, u"com.example.Other"_s, {}, declaring({u"https"_s}));
    system.addApp(u"Applications/Mail.app"_s, u"com.example.Mail"_s, {}, declaring({u"mailto"_s}));

    // Without a stored choice the first application that declares the scheme opens its links.
    EXPECT_EQ(LSCopyDefaultHandlerForURLScheme(u"https"_s), u"com.example.Browser"_s);
    EXPECT_EQ(LSCopyDefaultHandlerForURLScheme(u"MailTo"_s), u"com.example.Mail"_s);
    EXPECT_FALSE(LSCopyDefaultHandlerForURLScheme(u"zoommtg"_s)) << "no application declares it";
    EXPECT_EQ(LSCopyAllHandlersForURLScheme(u"https"_s),
              (QStringList{u"com.example.Browser"_s, u"com.example.Other"_s}));

    ASSERT_EQ(LSSetDefaultHandlerForURLScheme(u"https"_s, u"com.example.Other"_s), noErr);
    EXPECT_EQ(LSCopyDefaultHandlerForURLScheme(u"HTTPS"_s), u"com.example.Other"_s);
    EXPECT_EQ(LSCopyDefaultHandlerForURLScheme(u"http"_s), u"com.example.Browser"_s) << "the other scheme is its own";
    // A scheme nobody declares still takes a handler, as Launch Services records any.
    ASSERT_EQ(LSSetDefaultHandlerForURLScheme(u"zoommtg"_s, u"com.example.Mail"_s), noErr);
    EXPECT_EQ(LSCopyDefaultHandlerForURLScheme(u"zoommtg"_s), u"com.example.Mail"_s);
    EXPECT_EQ(LSSetDefaultHandlerForURLScheme(u"https"_s, QString()), paramErr);
    // A choice naming an application that is gone does not take.
    ASSERT_EQ(LSSetDefaultHandlerForURLScheme(u"mailto"_s, u"com.example.Gone"_s), noErr);
    EXPECT_EQ(LSCopyDefaultHandlerForURLScheme(u"mailto"_s), u"com.example.Mail"_s);
    // The explanation is what decided: the stored choice, else the declaring application, and what was passed over.
    const HandlerExplanation stored = explainDefaultHandlerForURLScheme(u"https"_s);
    EXPECT_EQ(stored.source, HandlerExplanation::Source::storedAllRoles);
    EXPECT_EQ(stored.group, u"LSHandlerRoleAll"_s);
    EXPECT_EQ(stored.decidingType, u"https:"_s);
    const HandlerExplanation claimed = explainDefaultHandlerForURLScheme(u"mailto"_s);
    EXPECT_EQ(claimed.source, HandlerExplanation::Source::claimant);
    EXPECT_EQ(claimed.handler, u"com.example.Mail"_s);
    ASSERT_EQ(claimed.passedOver.size(), 1);
    EXPECT_EQ(claimed.passedOver[0].handler, u"com.example.Gone"_s);
    EXPECT_EQ(explainDefaultHandlerForURLScheme(u"gopher"_s).source, HandlerExplanation::Source::none);

    // The entries keep the real layout, apart from the content types' ones.
    QFile file(MachinePaths::handlerDatabase());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QVariantList entries = PropertyList::read(file.readAll())->toMap().value(u"LSHandlers"_s).toList();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].toMap().value(u"LSHandlerURLScheme"_s), u"https"_s);
    EXPECT_EQ(entries[0].toMap().value(u"LSHandlerRoleAll"_s), u"com.example.Other"_s);
    EXPECT_FALSE(entries[0].toMap().contains(u"LSHandlerContentType"_s));

    // Emulation.plist names schemes with their colon, so "https" the content type is not "https:" the scheme.
    EmulationSettings emulation;
    emulation.ignoredContentTypes = {u"mailto:"_s};
    emulation.overriddenContentTypes = {{u"http:"_s, u"com.example.Other"_s}};
    tessik::tools::SystemRootWriter::writeEmulation(system.root(), emulation);
    ASSERT_EQ(LSSetDefaultHandlerForURLScheme(u"mailto"_s, u"com.example.Browser"_s), noErr);
    EXPECT_EQ(LSCopyDefaultHandlerForURLScheme(u"mailto"_s), u"com.example.Mail"_s);
    ASSERT_EQ(LSSetDefaultHandlerForURLScheme(u"http"_s, u"com.example.Browser"_s), noErr);
    EXPECT_EQ(LSCopyDefaultHandlerForURLScheme(u"http"_s), u"com.example.Other"_s);
}
