#include "platform/launch_services.h"
#include "platform/workspace.h"
#include "temporary_system.h"

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
