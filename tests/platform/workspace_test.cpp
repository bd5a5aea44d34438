#include "platform/emulated/machine_paths.h"
#include "platform/emulated/property_list.h"
#include "platform/file_manager.h"
#include "platform/launch_services.h"
#include "platform/workspace.h"
#include "temporary_system.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik::platform;
using tessik::testing::TemporarySystem;

namespace {

struct ConfirmationScope
{
    explicit ConfirmationScope(ConfirmationHandler handler) { Workspace::setConfirmationHandler(std::move(handler)); }
    ~ConfirmationScope() { Workspace::setConfirmationHandler({}); }
};

} // namespace

TEST(Workspace, LocatesApplicationsInFolderOrder)
{
    TemporarySystem system;
    const QString system1 = system.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s);
    system.addApp(u"home/Applications/Editor.app"_s, u"com.example.Editor"_s);
    EXPECT_EQ(Workspace::urlForApplicationWithBundleIdentifier(u"com.example.editor"_s), QUrl::fromLocalFile(system1));
    EXPECT_FALSE(Workspace::urlForApplicationWithBundleIdentifier(u"com.example.missing"_s));
}

TEST(Workspace, SetsTheDefaultOnlyWhenTheUserAccepts)
{
    TemporarySystem system;
    const QUrl app = QUrl::fromLocalFile(
        system.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s, {}, {{u"CFBundleName"_s, u"Editor"_s}}));
    const UTType markdown = *UTType::typeWithIdentifier(u"net.daringfireball.markdown"_s);

    // Nobody to ask: the system refuses rather than change a default silently.
    auto error = Workspace::setDefaultApplication(app, markdown);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), NSCocoaErrorDomain);
    EXPECT_EQ(error->code(), NSUserCancelledError);
    {
        ConfirmationScope refuse([](const DefaultApplicationQuestion&) { return false; });
        error = Workspace::setDefaultApplication(app, markdown);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), NSUserCancelledError);
    }
    EXPECT_FALSE(LSCopyDefaultRoleHandlerForContentType(markdown.identifier(), kLSRolesAll));

    DefaultApplicationQuestion asked;
    ConfirmationScope accept([&](const DefaultApplicationQuestion& question) {
        asked = question;
        return true;
    });
    EXPECT_FALSE(Workspace::setDefaultApplication(app, markdown));
    EXPECT_EQ(asked.applicationName, u"Editor"_s);
    EXPECT_EQ(asked.bundleIdentifier, u"com.example.Editor"_s);
    EXPECT_EQ(asked.contentType, markdown.identifier());
    EXPECT_EQ(LSCopyDefaultRoleHandlerForContentType(markdown.identifier(), kLSRolesAll), u"com.example.Editor"_s);

    const auto missing =
        Workspace::setDefaultApplication(QUrl::fromLocalFile(system.root() + u"/Nope.app"_s), markdown);
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->code(), NSUserCancelledError);
}

TEST(Workspace, FindsTheBundleIcon)
{
    TemporarySystem system;
    tessik::tools::BundleDescription bundle;
    bundle.path = u"Applications/Icon.app"_s;
    bundle.info = {{u"CFBundleIdentifier"_s, u"com.example.icon"_s}, {u"CFBundleIconFile"_s, u"AppIcon"_s}};
    bundle.icon = QByteArray("icns");
    const QString withIcon = system.addBundle(bundle);
    bundle.path = u"Applications/NoIcon.app"_s;
    bundle.icon.clear();
    const QString withoutIcon = system.addBundle(bundle);
    EXPECT_EQ(Workspace::iconFileForApplication(QUrl::fromLocalFile(withIcon)),
              withIcon + u"/Contents/Resources/AppIcon.icns"_s);
    EXPECT_FALSE(Workspace::iconFileForApplication(QUrl::fromLocalFile(withoutIcon)));
}

TEST(Workspace, OpensAURLOnlyWhenAnApplicationHandlesItsScheme)
{
    TemporarySystem system;
    const QString log = system.root() + u"/home/Library/Logs/OpenedURLs.log"_s;
    auto logged = [&] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QUrl mail(u"mailto:?subject=Tessik 反馈&body=第一行\n第二行"_s);
    EXPECT_FALSE(Workspace::openURL(mail)) << "no mail application yet";
    EXPECT_FALSE(QFile::exists(log));

    system.addApp(
        u"Applications/Mail.app"_s, u"com.example.Mail"_s, {},
        {{u"CFBundleURLTypes"_s, QVariantList{QVariantMap{{u"CFBundleURLName"_s, u"Mail"_s},
                                                          {u"CFBundleURLSchemes"_s, QVariantList{u"MailTo"_s, 42}}}}}});
    EXPECT_TRUE(Workspace::openURL(mail));
    EXPECT_TRUE(Workspace::openURL(QUrl(u"MAILTO:someone@example.com"_s)));
    EXPECT_FALSE(Workspace::openURL(QUrl(u"https://example.com"_s)));
    EXPECT_FALSE(Workspace::openURL(QUrl()));
    const QStringList lines = logged().split(u'\n');
    ASSERT_EQ(lines.size(), 3) << qPrintable(logged());
    EXPECT_EQ(QUrl::fromEncoded(lines[0].toUtf8()), mail);
    EXPECT_TRUE(lines[0].contains(u"%0A"_s)) << "the body's line break is encoded";
    EXPECT_TRUE(lines[2].isEmpty());

    // A stored scheme handler counts while its application is installed.
    auto storeSchemeHandler = [](const QString& scheme, const QString& bundleIdentifier) {
        const QVariantMap entry{{u"LSHandlerURLScheme"_s, scheme}, {u"LSHandlerRoleAll"_s, bundleIdentifier}};
        FileManager::writeAtomically(
            PropertyList::write(QVariantMap{{u"LSHandlers"_s, QVariantList{entry}}}, PropertyList::Format::Binary),
            QUrl::fromLocalFile(MachinePaths::handlerDatabase()));
    };
    storeSchemeHandler(u"x-tessik"_s, u"com.example.Gone"_s);
    EXPECT_FALSE(Workspace::openURL(QUrl(u"x-tessik://open"_s)));
    storeSchemeHandler(u"x-tessik"_s, u"com.example.mail"_s);
    EXPECT_TRUE(Workspace::openURL(QUrl(u"X-Tessik://open"_s)));
    EXPECT_TRUE(logged().endsWith(u"x-tessik://open\n"_s));
}

TEST(Workspace, ARealDesktopOpensURLsThroughItsOpenerAndAnEmulatedMachineNever)
{
    QList<QUrl> opened;
    Workspace::setURLOpener([&opened](const QUrl& url) {
        opened.append(url);
        return true;
    });
    const QUrl mail(u"mailto:?subject=x"_s);
    {
        TemporarySystem system;
        EXPECT_FALSE(Workspace::openURL(mail)) << "no application of the machine takes mailto";
        EXPECT_TRUE(opened.isEmpty()) << "an emulated machine never hands a URL to the host";
    }
    EXPECT_TRUE(Workspace::openURL(mail));
    EXPECT_EQ(opened, QList<QUrl>{mail});
    Workspace::setURLOpener({});
}

TEST(Workspace, AsksBeforeTheWebChangesHandsAndNeverForOtherSchemes)
{
    TemporarySystem system;
    const QUrl browser = QUrl::fromLocalFile(system.addApp(u"Applications/Browser.app"_s, u"com.example.Browser"_s, {},
                                                           {{u"CFBundleName"_s, u"Browser"_s}}));
    EXPECT_TRUE(Workspace::urlSchemeChangesNeedConfirmation(u"http"_s));
    EXPECT_TRUE(Workspace::urlSchemeChangesNeedConfirmation(u"HTTPS"_s));
    EXPECT_FALSE(Workspace::urlSchemeChangesNeedConfirmation(u"mailto"_s));

    {
        ConfirmationScope refuse([](const DefaultApplicationQuestion&) { return false; });
        const auto error = Workspace::setDefaultApplicationToOpenURLsWithScheme(browser, u"https"_s);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), NSUserCancelledError);
        EXPECT_FALSE(LSCopyDefaultHandlerForURLScheme(u"https"_s));
    }
    DefaultApplicationQuestion asked;
    ConfirmationScope accept([&](const DefaultApplicationQuestion& question) {
        asked = question;
        return true;
    });
    EXPECT_FALSE(Workspace::setDefaultApplicationToOpenURLsWithScheme(browser, u"https"_s));
    EXPECT_EQ(asked.applicationName, u"Browser"_s);
    EXPECT_EQ(asked.contentType, u"https:"_s);
    EXPECT_EQ(LSCopyDefaultHandlerForURLScheme(u"https"_s), u"com.example.Browser"_s);
}
