#include "app/model/app_model.h"
#include "app/model/staged_import.h"
#include "app/update/format_catalog_updater.h"
#include "future_wait.h"
#include "platform/launch_services.h"
#include "scripted_services.h"
#include "temporary_system.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tessik;
using namespace tessik::testing;

namespace {

const QString markdown = u"net.daringfireball.markdown"_s;
const QString plainText = u"public.plain-text"_s;
const QString editor = u"com.example.Editor"_s;
const QString viewer = u"com.example.Viewer"_s;

CarriedDefault carried(CarriedDefault::Kind kind, const QString& format, AssociationRole role, const QString& app)
{
    CarriedDefault entry;
    entry.kind = kind;
    entry.format = format;
    entry.role = role;
    entry.bundleIdentifier = app;
    return entry;
}

class StagedImportTest : public ::testing::Test
{
protected:
    StagedImportTest()
    {
        system.addApp(u"Applications/Editor.app"_s, editor,
                      {TemporarySystem::documentType({markdown}, {u"md"_s}, u"Editor"_s),
                       TemporarySystem::documentType({plainText}, {u"txt"_s}, u"Editor"_s)},
                      {{u"CFBundleName"_s, u"Editor"_s}});
        system.addApp(u"Applications/Viewer.app"_s, viewer,
                      {TemporarySystem::documentType({markdown, plainText}, {u"md"_s}, u"Viewer"_s, u"Owner"_s)},
                      {{u"CFBundleName"_s, u"Viewer"_s}});
        model.setSleeper(std::make_shared<RecordingSleeper>());
    }

    TemporarySystem system;
    FormatCatalogUpdater updater{FormatCatalogUpdater::Configuration{}};
    AppModel model{&updater};
};

} // namespace

TEST_F(StagedImportTest, AFileOfOneRoleIsStagedInThatRoleAndAppliesThroughTheModel)
{
    for (const QString& type : {markdown, plainText})
        ASSERT_EQ(platform::LSSetDefaultRoleHandlerForContentType(type, platform::kLSRolesEditor, viewer),
                  platform::noErr);
    ASSERT_TRUE(finish(model.refresh()));
    using K = CarriedDefault::Kind;
    const StagedImport::Outcome outcome = StagedImport::stage(
        model, {carried(K::extension, u"md"_s, AssociationRole::editor, editor),
                carried(K::contentType, plainText, AssociationRole::editor, u"COM.EXAMPLE.EDITOR"_s),
                carried(K::contentType, u"public.png"_s, AssociationRole::editor, u"x.Gone"_s)});
    EXPECT_EQ(model.role(), AssociationRole::editor) << "nothing was staged, so the model took the file's role";
    EXPECT_EQ(model.pending(), (AppModel::StringMap{{markdown, editor}, {plainText, editor}}));
    EXPECT_EQ(outcome.staged, 2);
    ASSERT_EQ(outcome.skipped.size(), 1);
    EXPECT_EQ(outcome.skipped[0].reason, DefaultsImport::SkipReason::missingApplication);

    ASSERT_TRUE(finish(model.applyPending()));
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(markdown, platform::kLSRolesEditor), editor);
    EXPECT_EQ(platform::LSCopyDefaultRoleHandlerForContentType(plainText, platform::kLSRolesEditor), editor);
    EXPECT_TRUE(model.pending().isEmpty());

    // Again: everything is in effect now, so nothing is staged.
    const StagedImport::Outcome again =
        StagedImport::stage(model, {carried(K::contentType, markdown, AssociationRole::editor, editor)});
    EXPECT_EQ(again.staged, 0);
    EXPECT_EQ(again.inEffect, 1);
    EXPECT_TRUE(model.pending().isEmpty());
}

TEST_F(StagedImportTest, EntriesOfOtherRolesAreSetAsideWhileChangesAreStaged)
{
    ASSERT_TRUE(finish(model.refresh()));
    model.stage(markdown, viewer);
    using K = CarriedDefault::Kind;
    const StagedImport::Outcome outcome =
        StagedImport::stage(model, {carried(K::contentType, plainText, AssociationRole::viewer, editor),
                                    carried(K::contentType, markdown, AssociationRole::all, editor)});
    EXPECT_EQ(model.role(), AssociationRole::all) << "the role of staged changes is kept";
    EXPECT_EQ(model.pending(), (AppModel::StringMap{{markdown, editor}}));
    ASSERT_EQ(outcome.otherRoles.size(), 1);
    EXPECT_EQ(outcome.otherRoles[0].format, plainText);
}
