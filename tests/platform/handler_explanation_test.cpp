#include "mime_apps_sandbox.h"
#include "platform/emulated/machine_paths.h"
#include "platform/handler_explanation.h"
#include "platform/launch_services.h"
#include "temporary_system.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik::platform;
using tessik::testing::TemporarySystem;
using Source = HandlerExplanation::Source;
using Reason = HandlerExplanation::PassOverReason;

TEST(HandlerExplanation, EmulatedMacTellsStoredChoicesClaimantsAndWhatItSkipped)
{
    TemporarySystem system;
    const QString jpeg = u"public.jpeg"_s;
    system.addApp(u"Applications/Owner.app"_s, u"com.example.Owner"_s,
                  {TemporarySystem::documentType({u"public.image"_s}, {}, u"Viewer"_s, u"Owner"_s)});
    system.addApp(u"Applications/Editor.app"_s, u"com.example.Editor"_s,
                  {TemporarySystem::documentType({jpeg}, {}, u"Editor"_s, u"Alternate"_s)});
    const QString database = MachinePaths::handlerDatabase();

    // The type's own claim wins over a higher rank for a supertype; a type only a supertype is claimed for names it.
    HandlerExplanation claimed = explainDefaultRoleHandler(jpeg, kLSRolesViewer);
    EXPECT_EQ(claimed.source, Source::claimant);
    EXPECT_EQ(claimed.handler, u"com.example.Editor"_s);
    EXPECT_EQ(std::tuple(claimed.decidingType, claimed.rank, claimed.claimedRole),
              std::tuple(jpeg, u"Alternate"_s, u"Editor"_s));
    claimed = explainDefaultRoleHandler(u"public.png"_s, kLSRolesViewer);
    EXPECT_EQ(claimed.handler, u"com.example.Owner"_s);
    EXPECT_EQ(std::tuple(claimed.decidingType, claimed.rank, claimed.claimedRole),
              std::tuple(u"public.image"_s, u"Owner"_s, u"Viewer"_s));

    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(jpeg, kLSRolesViewer, u"com.example.Owner"_s), noErr);
    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(jpeg, kLSRolesAll, u"com.example.Gone"_s), noErr);
    const HandlerExplanation stored = explainDefaultRoleHandler(jpeg, kLSRolesViewer);
    EXPECT_EQ(stored.source, Source::storedRole);
    EXPECT_EQ(std::tuple(stored.file, stored.group), std::tuple(database, u"LSHandlerRoleViewer"_s));
    EXPECT_TRUE(stored.passedOver.isEmpty()) << "the role's own choice comes before the all-roles one";

    // The all-roles choice names an application that is gone: passed over, and the claimant decides.
    const HandlerExplanation skipped = explainDefaultRoleHandler(jpeg, kLSRolesEditor);
    EXPECT_EQ(skipped.source, Source::claimant);
    EXPECT_EQ(skipped.handler, u"com.example.Editor"_s);
    ASSERT_EQ(skipped.passedOver.size(), 1);
    EXPECT_EQ(skipped.passedOver[0], (HandlerExplanation::PassedOver{u"com.example.Gone"_s, Reason::notInstalled,
                                                                      database, u"LSHandlerRoleAll"_s, {}, {}}));
    EXPECT_EQ(skipped.handler, LSCopyDefaultRoleHandlerForContentType(jpeg, kLSRolesEditor));

    ASSERT_EQ(LSSetDefaultRoleHandlerForContentType(jpeg, kLSRolesAll, u"com.example.Owner"_s), noErr);
    const HandlerExplanation all = explainDefaultRoleHandler(jpeg, kLSRolesEditor);
    EXPECT_EQ(all.source, Source::storedAllRoles);
    EXPECT_EQ(std::tuple(all.handler, all.group), std::tuple(std::optional(u"com.example.Owner"_s),
                                                             u"LSHandlerRoleAll"_s));

    const HandlerExplanation none = explainDefaultRoleHandler(u"com.example.unclaimed"_s, kLSRolesAll);
    EXPECT_EQ(none.source, Source::none);
    EXPECT_FALSE(none.handler);
}

// A desktop where each source of a default can be reached in turn; every answer is checked against gio's.
TEST(HandlerExplanation, DesktopTellsTheFileGroupAndRouteThatDecided)
{
    MimeAppsSandbox sandbox("GNOME");
    sandbox.addApplication(u"data1"_s, u"viewer.desktop"_s, "text/plain;application/x-pdf;");
    sandbox.addApplication(u"data1"_s, u"editor.desktop"_s);
    sandbox.addApplication(u"data1"_s, u"masked.desktop"_s);
    sandbox.write(u"home/.local/share/applications/masked.desktop"_s,
                  "[Desktop Entry]\nType=Application\nName=Masked\nExec=true\nHidden=true\n");
    sandbox.write(u"data1/applications/broken.desktop"_s,
                  "[Desktop Entry]\nType=Application\nName=Broken\nExec=true\nTryExec=/nonexistent/program\n");
    ASSERT_TRUE(sandbox.updateDesktopDatabase(u"data1"_s));
    const QString cache = sandbox.path(u"data1/applications/mimeinfo.cache"_s);
    const QString userList = sandbox.path(u"home/.config/mimeapps.list"_s);
    const QString desktopList = sandbox.path(u"home/.config/gnome-mimeapps.list"_s);
    const auto explain = [&](const QString& type, bool asGio = true) {
        const HandlerExplanation explanation = explainDefaultRoleHandler(type, kLSRolesAll);
        if (const auto gio = asGio ? sandbox.gioDefault(type) : std::nullopt) {
            EXPECT_EQ(explanation.handler.value_or(QString()), *gio) << "gio, " << qPrintable(type);
        }
        return explanation;
    };

    // Nothing chosen: the desktop file mimeinfo.cache lists for the type, or for its parent type.
    HandlerExplanation explanation = explain(u"text/plain"_s);
    EXPECT_EQ(explanation.source, Source::desktopEntry);
    EXPECT_EQ(std::tuple(explanation.handler, explanation.file, explanation.decidingType),
              std::tuple(std::optional(u"viewer.desktop"_s), cache, u"text/plain"_s));
    explanation = explain(u"text/x-csrc"_s);
    EXPECT_EQ(std::tuple(explanation.handler, explanation.decidingType),
              std::tuple(std::optional(u"viewer.desktop"_s), u"text/plain"_s));

    // The user's list, with earlier entries that do not count. GLib still answers a desktop file a user copy
    // hides, so gio is not asked here.
    sandbox.write(u"home/.config/mimeapps.list"_s,
                  "[Default Applications]\ntext/plain=gone.desktop;masked.desktop;broken.desktop;editor.desktop;\n"
                  "application/x-pdf=editor.desktop\n");
    explanation = explain(u"text/plain"_s, false);
    EXPECT_EQ(explanation.source, Source::defaultApplications);
    EXPECT_EQ(std::tuple(explanation.handler, explanation.file, explanation.group),
              std::tuple(std::optional(u"editor.desktop"_s), userList, u"Default Applications"_s));
    QList<std::pair<QString, Reason>> passed;
    for (const HandlerExplanation::PassedOver& entry : explanation.passedOver)
        passed.append({entry.handler, entry.reason});
    EXPECT_EQ(passed, (QList<std::pair<QString, Reason>>{{u"gone.desktop"_s, Reason::notInstalled},
                                                         {u"masked.desktop"_s, Reason::hidden},
                                                         {u"broken.desktop"_s, Reason::notStartable}}));
    // A key spelled as an alias of the type.
    explanation = explain(u"application/pdf"_s);
    EXPECT_EQ(std::tuple(explanation.handler, explanation.decidingType, explanation.listedAs),
              std::tuple(std::optional(u"editor.desktop"_s), u"application/pdf"_s, u"application/x-pdf"_s));
    // The desktop's own list comes first.
    sandbox.write(u"home/.config/gnome-mimeapps.list"_s, "[Default Applications]\ntext/plain=viewer.desktop;\n");
    explanation = explain(u"text/plain"_s);
    EXPECT_EQ(std::tuple(explanation.handler, explanation.file),
              std::tuple(std::optional(u"viewer.desktop"_s), desktopList));

    // Removed associations take a desktop file's own claim away; an added one decides then.
    QFile::remove(desktopList);
    sandbox.write(u"home/.config/mimeapps.list"_s, "[Added Associations]\ntext/x-csrc=editor.desktop;\n"
                                                   "[Removed Associations]\ntext/plain=viewer.desktop;\n");
    explanation = explain(u"text/x-csrc"_s);
    EXPECT_EQ(explanation.source, Source::addedAssociation);
    EXPECT_EQ(std::tuple(explanation.handler, explanation.group),
              std::tuple(std::optional(u"editor.desktop"_s), u"Added Associations"_s));
    explanation = explain(u"text/plain"_s);
    EXPECT_EQ(explanation.source, Source::none);
    ASSERT_EQ(explanation.passedOver.size(), 1);
    EXPECT_EQ(explanation.passedOver[0], (HandlerExplanation::PassedOver{u"viewer.desktop"_s, Reason::removed, cache,
                                                                          u"MIME Cache"_s, {}, userList}));
}
